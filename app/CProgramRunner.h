// IProgramRunner over CCommandRunner: a program that is still running after
// the time limit (a sendmail waiting for a mail server out of reach) is ended
// by its pid and counts as failed.
#pragma once

#include <chrono>

#include "app/IProgramRunner.h"

class CProgramRunner : public IProgramRunner {
public:
    static constexpr std::chrono::milliseconds kDefaultTimeLimit{30000};

    explicit CProgramRunner(std::chrono::milliseconds timeLimit = kDefaultTimeLimit) : m_timeLimit(timeLimit) {}

    int Run(const std::vector<std::string>& argv, std::string_view standardInput) override;
    std::string LastErrorLine() const override { return m_strLastErrorLine; }

private:
    std::chrono::milliseconds m_timeLimit;
    std::string m_strLastErrorLine;
};
