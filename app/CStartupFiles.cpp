#include "app/CStartupFiles.h"

#include <cstdlib>

CStartupFiles::CStartupFiles(const std::string& programDirectory, const std::string& boardName)
    : m_strIniPath(programDirectory + "/Root.ini"),
      m_strLogPath(programDirectory + "/error.txt"),
      m_strBoardDefaultsPath(programDirectory + "/" + boardName + "def.ini")
{
}

bool CStartupFiles::CheckFiles(const IPrivateProfile& files, IMessageBox& messageBox,
                               const ExitFunction& exitProcess) const
{
    for (const std::string* path : {&m_strIniPath, &m_strLogPath, &m_strBoardDefaultsPath}) {
        if (files.CanOpen(*path)) continue;
        // No owner window: the main window does not exist yet.
        messageBox.Show("Open File error!", "Warning", MessageBoxStyle::kOk);
        exitProcess(0);
        return false;
    }
    return true;
}

void CStartupFiles::ExitImmediately(int status) { std::_Exit(status); }
