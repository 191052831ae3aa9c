// The mail component as the alert logic uses it: log on, log off, send one
// plain-text alert to a ";"-separated recipient list. The real one is
// CMapiMailTransport over CMapiMailer; tests record the calls.
#pragma once

#include <string_view>

class IMailer {
public:
    virtual ~IMailer() = default;
    // 0 ready; 1 the mail program refused; 2 no mail program.
    virtual int Logon() = 0;
    virtual void Logoff() = 0;
    virtual bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                          std::string_view body) = 0;
};
