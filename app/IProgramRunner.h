// Starts a program with an argument vector (never through a shell), feeds it
// a text on its standard input and waits for it to end. The mailer hands its
// messages to sendmail this way; tests record the calls instead.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class IProgramRunner {
public:
    // Run's result for a program ended because it ran past its time.
    static constexpr int kTimedOut = -2;

    virtual ~IProgramRunner() = default;
    // argv[0] is the program's path. The result is the program's exit status,
    // -1 when it could not be started or did not end normally, kTimedOut when
    // it was ended at the runner's time limit.
    virtual int Run(const std::vector<std::string>& argv, std::string_view standardInput) = 0;
    // The first line the last program run wrote on its standard error (its
    // own reason for a failure), empty when it wrote none.
    virtual std::string LastErrorLine() const { return {}; }
};
