// The main window's help button: the help page of the user's language beside
// the program, else the English one, opened by the desktop.
#pragma once

#include "windows/IShellOpener.h"

#include <string>

class CHelpPage {
public:
    // programDirectory without a trailing "/"; languageCode as CLanguage gives
    // it ("DEU", or empty for a language outside the table). The opener must
    // outlive this object.
    CHelpPage(std::string programDirectory, std::string languageCode, IShellOpener& opener);

    // programDirectory + "/help/help_" + code + ".htm" when that file can be
    // opened for reading, else programDirectory + "/help/help_enu.htm". The
    // code is used in lower case: the pages ship as help_enu.htm,
    // help_deu.htm ..., and file names on Linux are case-sensitive where the
    // original file system was not.
    std::string GetPagePath() const;

    // Opens GetPagePath(); a failure is not reported to the user.
    bool OpenHelpPage() const;

private:
    std::string m_strProgramDirectory;
    std::string m_strLanguageCode;
    IShellOpener& m_opener;
};
