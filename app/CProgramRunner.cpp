#include "app/CProgramRunner.h"

#include "platform/CCommandRunner.h"

int CProgramRunner::Run(const std::vector<std::string>& argv, std::string_view standardInput)
{
    m_strLastErrorLine.clear();
    // argv[0] is a path: no PATH search reaches another program.
    if (argv.empty() || argv[0].find('/') == std::string::npos) return -1;
    const CCommandRunner::SOutcome outcome = CCommandRunner::Run(argv, standardInput, m_timeLimit, true);
    m_strLastErrorLine = CCommandRunner::FirstLine(outcome.errorText);
    if (outcome.timedOut) return kTimedOut;
    return outcome.status;
}
