// Runs a program from an argument vector (never through a shell), feeds it a
// text on its standard input, keeps the first lines of what it writes on its
// standard error, and waits for it a bounded time: a program still running
// at the limit is ended by its process id (SIGTERM, then SIGKILL) and
// reported as timed out. The mailer's sendmail and the power-off commands
// run this way, so a hung mail server or bus can never hold the caller for
// ever.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

class CCommandRunner {
public:
    struct SOutcome {
        // The exit status; -1 when the program could not be started, ended
        // by a signal, or was ended here at the time limit.
        int status = -1;
        bool started = false;
        bool timedOut = false;
        // At most kErrorTextBytes of the program's standard error.
        std::string errorText;
        bool Succeeded() const { return status == 0; }
    };

    static constexpr std::size_t kErrorTextBytes = 1024;
    // After SIGTERM at the limit, the program has this long before SIGKILL.
    static constexpr std::chrono::milliseconds kTermGrace{1000};

    // argv[0] is looked up in PATH when it holds no "/". The input goes
    // through a socket so that a program that exits without reading it
    // cannot kill this process with SIGPIPE; without captureErrors the
    // program's standard error is this process's.
    static SOutcome Run(const std::vector<std::string>& argv, std::string_view standardInput,
                        std::chrono::milliseconds timeLimit, bool captureErrors = true);

    // The first line of text, without surrounding blanks, cut to maxBytes.
    static std::string FirstLine(std::string_view text, std::size_t maxBytes = 200);
};
