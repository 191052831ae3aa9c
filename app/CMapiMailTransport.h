// The main window's mail component behind the IMailer seam.
#pragma once

#include "app/CMapiMailer.h"
#include "app/IMailer.h"

class CMapiMailTransport : public IMailer {
public:
    // The mailer must outlive this object.
    explicit CMapiMailTransport(CMapiMailer& mailer) : m_mailer(mailer) {}

    int Logon() override { return m_mailer.Logon(); }
    void Logoff() override { m_mailer.Logoff(); }
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body) override
    {
        return m_mailer.SendMail(displayName, recipients, subject, body);
    }
    std::string LastFailure() const override { return m_mailer.LastFailure(); }

private:
    CMapiMailer& m_mailer;
};
