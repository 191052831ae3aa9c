#include "app/CStartupFiles.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

CStartupFiles::CStartupFiles(const std::string& programDirectory, const std::string& boardName)
    : m_strIniPath(programDirectory + "/Root.ini"),
      m_strLogPath(programDirectory + "/error.txt"),
      m_strBoardDefaultsPath(programDirectory + "/" + boardName + "def.ini")
{
}

bool CStartupFiles::CheckFiles(const IPrivateProfile& files, IMessageBox& messageBox,
                               const ExitFunction& exitProcess) const
{
    // Deleting the log is the natural way to clear it: a missing log is
    // made anew, empty (never over an existing file or a dangling link).
    if (!files.CanOpen(m_strLogPath)) {
        const int fd = ::open(m_strLogPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
    }
    for (const std::string* path : {&m_strIniPath, &m_strLogPath, &m_strBoardDefaultsPath}) {
        if (files.CanOpen(*path)) continue;
        // No owner window: the main window does not exist yet. The box
        // names the file, so that the user knows what to put back.
        messageBox.Show("Open File error!\n\n" + *path + " cannot be opened.", "Warning", MessageBoxStyle::kOk);
        exitProcess(0);
        return false;
    }
    return true;
}

void CStartupFiles::ExitImmediately(int status) { std::_Exit(status); }
