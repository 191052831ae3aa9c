// Test double of the mail component: answers Logon from a set result and
// records every call.
#pragma once

#include <string>
#include <vector>

#include "app/IMailer.h"

class CRecordingMailer : public IMailer {
public:
    struct Mail {
        std::string displayName;
        std::string recipients;
        std::string subject;
        std::string body;
    };

    int Logon() override
    {
        ++logons;
        return logonResult;
    }
    void Logoff() override { ++logoffs; }
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body) override
    {
        mails.push_back({std::string(displayName), std::string(recipients), std::string(subject), std::string(body)});
        return true;
    }

    int logonResult = 0;
    int logons = 0;
    int logoffs = 0;
    std::vector<Mail> mails;
};
