// The files that must lie in the program directory before the main window
// may run: the preferences Root.ini, the warning log error.txt and the
// board's defaults file. A missing error.txt is created empty (deleting it
// is how a user clears the log); without the other two the program does
// not start.
#pragma once

#include <functional>
#include <string>

#include "platform/IMessageBox.h"
#include "platform/IPrivateProfile.h"

class CStartupFiles {
public:
    // Ends the process with the given status.
    using ExitFunction = std::function<void(int status)>;

    // programDirectory without a trailing "/"; boardName may be empty, which
    // names the defaults file "def.ini".
    CStartupFiles(const std::string& programDirectory, const std::string& boardName);

    const std::string& IniPath() const { return m_strIniPath; }
    const std::string& LogPath() const { return m_strLogPath; }
    const std::string& BoardDefaultsPath() const { return m_strBoardDefaultsPath; }

    // Creates a missing error.txt empty, then opens the three files for
    // reading in the order Root.ini, error.txt, board defaults. When one
    // cannot be opened: "Open File error!" and a line naming the file /
    // "Warning" with an OK button, then exitProcess(0) at once, so nothing
    // is saved and no destructor runs; false (reached only when the exit
    // function returns, as in tests). True when all three open.
    bool CheckFiles(const IPrivateProfile& files, IMessageBox& messageBox, const ExitFunction& exitProcess) const;

    // The production exit: the process ends here, without running
    // destructors or exit handlers.
    static void ExitImmediately(int status);

private:
    std::string m_strIniPath;
    std::string m_strLogPath;
    std::string m_strBoardDefaultsPath;
};
