#include "app/CCommandLine.h"

#include <algorithm>
#include <cctype>

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

CCommandLine::CCommandLine(std::vector<std::string> arguments) : m_arguments(std::move(arguments))
{
    for (std::size_t i = 0; i < m_arguments.size(); ++i) {
        if (i != 0) m_strText += ' ';
        m_strText += m_arguments[i];
    }
}

CCommandLine::CCommandLine(int argc, const char* const* argv)
    : CCommandLine(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{})
{
}

bool CCommandLine::IsAutomation() const
{
    return std::any_of(m_arguments.begin(), m_arguments.end(), [](const std::string& argument) {
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) return false;
        const std::string_view flag = std::string_view(argument).substr(1);
        return EqualsNoCase(flag, "Embedding") || EqualsNoCase(flag, "Automation");
    });
}
