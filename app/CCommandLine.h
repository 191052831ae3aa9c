// The program's command line: the whole argument text after the program
// name, as one text, and the options read from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CCommandLine {
public:
    // arguments: argv without the program name. The argument text is the
    // arguments joined by one blank each, the nearest Linux form of the
    // single command-line text the program was designed on.
    explicit CCommandLine(std::vector<std::string> arguments);
    CCommandLine(int argc, const char* const* argv);

    const std::string& ArgumentText() const { return m_strText; }

    // Exactly "-m" or "-M": start minimised to the tray. "-m " (an empty
    // second argument), "/m", "-mx" or "-m -x" leave the window in view.
    bool IsMinimised() const { return m_strText == "-m" || m_strText == "-M"; }

    // An argument "-Embedding" or "-Automation" (also with "/", any letter
    // case): started as an automation server.
    bool IsAutomation() const;

private:
    std::vector<std::string> m_arguments;
    std::string m_strText;
};
