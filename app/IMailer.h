// The mail component as the alert logic uses it: log on, log off, send one
// plain-text alert to a ";"-separated recipient list. The real one is
// CMapiMailTransport over CMapiMailer, in the program behind CAsyncMailer;
// tests record the calls.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class IMailer {
public:
    // Told about a send that failed after SendMail had returned (a mailer
    // that sends on a thread of its own calls it on that thread).
    using FailureHandler = std::function<void(const std::string& failure)>;

    virtual ~IMailer() = default;
    // 0 ready; 1 the mail program refused; 2 no mail program.
    virtual int Logon() = 0;
    virtual void Logoff() = 0;
    // False when the send failed at once; LastFailure then says why.
    virtual bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                          std::string_view body) = 0;
    // Why the last failed send failed, as one line; empty when nothing is known.
    virtual std::string LastFailure() const { return {}; }
    // Only mailers that send later call the handler; null removes it.
    virtual void SetFailureHandler(FailureHandler) {}
};
