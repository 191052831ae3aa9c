// The window's two setting dialogs, Monitor Setting and Display Setting.
// Each opens on a copy of the items the session takes on its own thread and
// sends its changes back through the session: the dialogs never touch the
// engine on the window's thread. A button pressed again while its copy is
// on the way opens nothing more.
#pragma once

#include <functional>
#include <string>

#include "windows/CMonitorSettingHost.h"

class CSessionLink;
class CSkinLibrary;
class CSubScreenPanels;
class CUserPreferences;
class IPrivateProfile;
class IShellOpener;
class QWidget;

class CSettingDialogs {
public:
    // The window's parts the dialogs work with; everything referred to
    // must outlive this object.
    struct SContext {
        QWidget& parent;  // of the modal dialogs
        CSessionLink& link;
        CUserPreferences& prefs;
        const CSkinLibrary& skins;
        CSubScreenPanels& panels;
        const IPrivateProfile& profile;  // the language files
        std::string languageCode;
        IShellOpener& shell;
        std::string programDirectory;
        std::string autostartDirectory;
        std::string iniPath;  // Root.ini
        std::function<void(const std::string& path)> savePreferences;
        std::function<bool()> initEmail;
    };

    explicit CSettingDialogs(SContext context) : m_context(std::move(context)) {}

    // Button 1002: Monitor Setting, modal, once the session's copy is here.
    void OpenMonitorSetting();
    // Button 1001: Display Setting, modal, likewise.
    void OpenDisplaySetting();
    // A dialog's job for the engine, run by the session on its own thread;
    // then done on this thread with the items' settings it left.
    void SendToEngine(CMonitorSettingHost::Job job, CMonitorSettingHost::Done done);

private:
    void ShowMonitorSetting(const CMonitorSettings& settings);
    void ShowDisplaySetting(const CMonitorSettings& items);

    SContext m_context;
    // A dialog was asked for and waits for the session's copy (or is open).
    bool m_bMonitorSettingAsked = false;
    bool m_bDisplaySettingAsked = false;
};
