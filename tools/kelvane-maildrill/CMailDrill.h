// A drill of the alert mails with the program's real parts: the program
// directory's access library (the chip simulator), the engine with the board
// defaults, the preferences file, the mail logon, the warning check and the
// mailer on a sendmail-compatible program. Only the power-off is a recording
// stand-in, and message boxes go to the error stream.
//
// It switches alert mails on in Root.ini for the given recipients (as the
// Display Setting dialog's OK does), reads the preferences back, logs on,
// starts the engine and then runs its steps: "tick" is one monitoring tick
// (UpdateAll and the warning check), "set NAME=VALUE" changes an input of the
// simulated chip through the directory's kelvane-simctl.
#pragma once

#include <ostream>
#include <string>
#include <vector>

class CMailDrill {
public:
    static constexpr int kOk = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadInput = 2;

    struct Options {
        std::string programDirectory;  // without a trailing "/"
        std::string boardName;         // "" names the defaults file def.ini
        std::string sendmail = "/usr/sbin/sendmail";
        std::string recipients;
        std::string computerName;  // recorded as the machine's name for the subjects
        std::vector<std::string> steps;
    };

    CMailDrill(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    // Parses "[--board NAME] [--sendmail PATH] --to LIST [--computer NAME]
    // STEP..." with STEP = tick | set NAME=VALUE. False after an error
    // message on the error stream.
    bool ParseArguments(const std::vector<std::string>& arguments, Options& options) const;

    // Exit status: kOk when every step ran and every mail was handed over;
    // kFailed when the start, the mail logon, a step or a send failed.
    int Run(const Options& options);

private:
    std::ostream& m_out;
    std::ostream& m_err;
};
