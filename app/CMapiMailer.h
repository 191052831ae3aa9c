// Alert mails through the system's sendmail interface: the mail "library" is
// a sendmail-compatible program, found at construction as the first existing
// of its candidate paths. Each recipient gets its own plain-text message,
// piped to "sendmail -i -- ADDRESS".
#pragma once

#include "app/IProgramRunner.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CMapiMailer {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    // The runner must outlive the mailer. candidates: where to look for the
    // sendmail program, in order; now: the time for the Date header.
    explicit CMapiMailer(IProgramRunner& runner,
                         std::vector<std::string> candidates = {"/usr/sbin/sendmail", "/usr/lib/sendmail"},
                         Clock now = [] { return std::chrono::system_clock::now(); });

    // 0: ready; 1: the program exists but cannot be executed; 2: no program.
    int Logon();
    // Nothing is held between sends; kept so that callers pair it with Logon.
    void Logoff();

    // One message per recipient of the ";"-separated list (see SplitRecipients).
    // A recipient that is empty, begins with "-" or holds a control character
    // is refused; a program that cannot start or exits non-zero fails the
    // send. Every recipient is tried; the result is false if any failed, and
    // false at once when there is no program.
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body);

    // Why the last SendMail failed, one line naming each failed recipient;
    // empty after a send without failure.
    const std::string& LastFailure() const { return m_strLastFailure; }

    // The program found at construction, empty when none.
    const std::string& GetProgramPath() const { return m_strProgram; }

    // "a;b" → a, b; "a;" → a, ""; "" → ""; "a; b" → a, " b" (nothing trimmed).
    static std::vector<std::string> SplitRecipients(std::string_view recipients);
    // A recipient that may be passed to sendmail as its address argument.
    static bool IsAcceptableRecipient(std::string_view recipient);
    // The complete message handed to sendmail for one recipient.
    static std::string ComposeMessage(std::string_view displayName, std::string_view recipient,
                                      std::string_view subject, std::string_view body,
                                      std::chrono::system_clock::time_point date);

private:
    // ": " and the first line the sendmail program wrote on its standard
    // error, or nothing.
    std::string ErrorLineAfter() const;
    IProgramRunner& m_runner;
    std::string m_strProgram;
    Clock m_now;
    std::string m_strLastFailure;
};
