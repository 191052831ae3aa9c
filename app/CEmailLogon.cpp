#include "app/CEmailLogon.h"

bool CEmailLogon::InitEmail(CUserPreferences& preferences, bool& mailReady)
{
    if (!preferences.m_bEMailEnable) return false;

    const int result = m_mailer.Logon();
    if (result == 0) {
        mailReady = true;
        return true;
    }
    // Any other result is one of the two failures; an unknown code is
    // treated as a refused logon rather than as success.
    const char* text = result == 2 ? "Can not load MAPI32.DLL" : "Initial Email false!";
    m_messageBox.Show(text, kApplicationTitle, MessageBoxStyle::kOk);

    preferences.m_bEMailEnable = false;
    mailReady = false;
    m_mailer.Logoff();
    return false;
}
