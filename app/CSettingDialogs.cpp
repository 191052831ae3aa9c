#include "app/CSettingDialogs.h"

#include <memory>

#include "app/CSessionLink.h"
#include "platform/CAccessPathChooser.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CDisplaySettingDlg.h"
#include "windows/CFanSubScreen.h"
#include "windows/CMonitorSettingDlg.h"
#include "windows/CSubScreenPanels.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"

void CSettingDialogs::SendToEngine(CMonitorSettingHost::Job job, CMonitorSettingHost::Done done)
{
    // Where the session is this thread's the job runs now and done follows,
    // outside the session's lock.
    const bool here = m_context.link.IsHere();
    auto result = std::make_shared<std::shared_ptr<const CMonitorSettings>>();
    QWidget* context = &m_context.parent;
    m_context.link.Post([context, job = std::move(job), done, result, here](CMonitorSession& session) {
        job(session.Engine());
        if (!done) return;
        auto settings = std::make_shared<const CMonitorSettings>(CMonitorSettings::Take(
            session.Engine(), [&session](int index) { return session.IsShutdownCancelled(index); }));
        if (here)
            *result = std::move(settings);
        else
            QMetaObject::invokeMethod(context, [done, settings] { done(*settings); }, Qt::QueuedConnection);
    });
    if (here && done && *result) done(**result);
}

void CSettingDialogs::OpenMonitorSetting()
{
    if (m_bMonitorSettingAsked) return;
    m_bMonitorSettingAsked = true;
    SendToEngine([](CHardwareMonitor&) {}, [this](const CMonitorSettings& settings) { ShowMonitorSetting(settings); });
}

void CSettingDialogs::ShowMonitorSetting(const CMonitorSettings& settings)
{
    const CCaptionTranslator translator(m_context.profile, m_context.languageCode);
    CSubScreenPanels& panels = m_context.panels;
    CMonitorSettingHost host{
        m_context.link.Session().Engine(),
        m_context.prefs,
        m_context.skins,
        translator,
        [&panels] {
            if (CFanSubScreen* fans = panels.FanPanel()) fans->ResetLayout();
        },
        [&panels] {
            if (CFanSubScreen* fans = panels.FanPanel()) fans->Refresh();
        },
        // The panel reads the unit flag itself, which the dialog has set.
        [&panels](bool) {
            if (CTempSubScreen* temps = panels.TempPanel()) temps->SetUnitLetters();
        },
    };
    host.settings = &settings;
    host.send = [this](CMonitorSettingHost::Job job, CMonitorSettingHost::Done done) {
        SendToEngine(std::move(job), std::move(done));
    };
    host.latestValue = [this](int index, double& value, int32_t& rpm) {
        const CSessionSnapshot::SItem* item = m_context.link.Current()->Item(index);
        if (item == nullptr) return false;
        value = item->value;
        rpm = item->rpm;
        return true;
    };
    {
        CMonitorSettingDlg dialog(host, &m_context.parent);
        if (m_context.link.Current()->chipSetType == kChipSetDriverOwnedReadOnly)
            dialog.SetNotice(QStringLiteral("Read beside the kernel driver: limits are Kelvane's own"),
                             QString::fromLatin1(CAccessPathChooser::kDriverOwnsChipText));
        dialog.exec();
    }
    m_bMonitorSettingAsked = false;
    // After the dialog's jobs: the unit and Smart Fan flags it set.
    m_context.link.SendSettings();
}

void CSettingDialogs::OpenDisplaySetting()
{
    if (m_bDisplaySettingAsked) return;
    m_bDisplaySettingAsked = true;
    SendToEngine([](CHardwareMonitor&) {}, [this](const CMonitorSettings& items) { ShowDisplaySetting(items); });
}

void CSettingDialogs::ShowDisplaySetting(const CMonitorSettings& items)
{
    const CCaptionTranslator translator(m_context.profile, m_context.languageCode);
    CSubScreenPanels& panels = m_context.panels;
    CDisplaySettingDlg dialog(
        CDisplaySettingDlg::Context{
            items,
            m_context.prefs,
            m_context.iniPath,
            m_context.savePreferences,
            m_context.initEmail,
            [&panels] {
                if (CVoltSubScreen* volts = panels.VoltPanel()) volts->Refresh();
            },
            m_context.skins,
            translator,
            m_context.shell,
            m_context.programDirectory,
            m_context.autostartDirectory,
        },
        &m_context.parent);
    dialog.exec();
    m_bDisplaySettingAsked = false;
    // The rotation, the mail and log switches it set.
    m_context.link.SendSettings();
}
