// The mailer of kelvane-cli, which sends no alert mail: the window does.
// Its logon reports no mail program, so the warning check never mails.
#pragma once

#include "app/IMailer.h"

class CNoMailer : public IMailer {
public:
    int Logon() override { return 2; }
    void Logoff() override {}
    bool SendMail(std::string_view, std::string_view, std::string_view, std::string_view) override { return false; }
    std::string LastFailure() const override { return "kelvane-cli sends no mail"; }
};
