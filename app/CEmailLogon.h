// Logging on to the mail system when the user has switched alert mails on:
// at start after the preferences are read, and again whenever the Display
// Setting dialog confirms.
#pragma once

#include "windows/CUserPreferences.h"
#include "app/IMailer.h"
#include "platform/IMessageBox.h"

class CEmailLogon {
public:
    static constexpr const char* kApplicationTitle = "Kelvane";

    // The mailer and the message box must outlive this object.
    CEmailLogon(IMailer& mailer, IMessageBox& messageBox) : m_mailer(mailer), m_messageBox(messageBox) {}

    // With e-mail off: false, nothing changes. Otherwise logs on; success
    // sets mailReady and gives true. A refused logon ("Initial Email false!")
    // or a missing mail program ("Can not load MAPI32.DLL") is shown, then
    // e-mail is switched off (so the next save stores EMailEnable 0),
    // mailReady cleared and the mailer logged off; false.
    bool InitEmail(CUserPreferences& preferences, bool& mailReady);

private:
    IMailer& m_mailer;
    IMessageBox& m_messageBox;
};
