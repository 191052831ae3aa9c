#include "windows/CHelpPage.h"

#include <cctype>
#include <fstream>

CHelpPage::CHelpPage(std::string programDirectory, std::string languageCode, IShellOpener& opener)
    : m_strProgramDirectory(std::move(programDirectory)), m_strLanguageCode(std::move(languageCode)), m_opener(opener)
{
    for (char& c : m_strLanguageCode)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string CHelpPage::GetPagePath() const
{
    const std::string helpDirectory = m_strProgramDirectory + "/help/";
    std::string page = helpDirectory + "help_" + m_strLanguageCode + ".htm";
    if (!std::ifstream(page))
        page = helpDirectory + "help_enu.htm";
    return page;
}

bool CHelpPage::OpenHelpPage() const
{
    return m_opener.OpenFile(GetPagePath());
}
