#include "app/CKelvaneApp.h"

#include <QCoreApplication>

#include <cstdio>

#include "app/CComputerName.h"
#include "app/CSystemInfo.h"
#include "app/CTerminationSignals.h"
#include "windows/CInstanceChecker.h"

CKelvaneApp::CKelvaneApp(CKelvaneAppSeams seams) : m_seams(std::move(seams)) {}

std::unique_ptr<CKelvaneDlg> CKelvaneApp::CreateMainWindow()
{
    m_strBoardName = m_seams.systemInfo.GetBoardName();

    // The check runs before the window exists: its engine changes chip
    // registers as it starts and puts them back only in its destructor,
    // which an immediate exit never runs.
    const CStartupFiles files(m_seams.programDirectory, m_strBoardName);
    if (!files.CheckFiles(m_seams.profile, m_seams.messageBox, m_seams.exitProcess)) return nullptr;

    // The same holds for a second copy: its engine would change the
    // registers of the chip the first copy is working with and never put
    // them back, so the hand-off comes before the window is built.
    auto instance = std::make_unique<CInstanceChecker>(QString::fromStdString(m_seams.instanceName));
    if (instance->IsPreviousInstanceRunning()) {
        instance->ActivatePreviousInstance();
        HandOff();
        return nullptr;
    }
    if (!instance->TrackFirstInstance() && instance->IsNameTaken()) {
        // Lost the race to a copy started at the same moment: it holds the
        // name now and builds the one engine.
        if (instance->IsPreviousInstanceRunning()) instance->ActivatePreviousInstance();
        HandOff();
        return nullptr;
    }

    if (!m_seams.hostName.empty()) CComputerName::Record(m_seams.registry, m_seams.hostName);

    const CKelvaneDlgSeams windowSeams{
        CEngineSeams{m_seams.loader, m_seams.lock, m_seams.messageBox, m_seams.profile, m_seams.registry,
                     m_seams.clock, m_seams.powerOff, m_seams.programDirectory},
        m_seams.shell,
        m_seams.mailer,
        m_seams.localTime,
        m_seams.languageCode,
        m_strBoardName,
        m_seams.sessionBus,
        m_seams.systemBus,
        m_seams.suiteLink,
        [&info = m_seams.systemInfo] { return info.GetCpuClock(); },
        m_seams.autostartDirectory,
        true,
        m_seams.historyWindows,
    };
    return std::make_unique<CKelvaneDlg>(windowSeams, std::move(instance));
}

void CKelvaneApp::HandOff()
{
    // Said on the terminal: a start from a shell otherwise ends with no
    // window and no word.
    std::fprintf(stderr, "%s\n", kAlreadyRunningMessage);
    std::fflush(stderr);
    m_handedOff = true;
    m_seams.exitProcess(0);
}

int CKelvaneApp::RunMainWindow(CKelvaneDlg& window, bool minimised, CTerminationSignals& termination)
{
    // exit, not quit: quit does nothing outside the application's own loop,
    // and a dialog ended while a start-up box is up must end the box's loop.
    QObject::connect(&window, &CKelvaneDlg::finished, &window, [] { QCoreApplication::exit(0); });
    // Log-out, shutdown, a closed terminal or Ctrl+C end the dialog the
    // ordinary way, so the preferences are saved and the chip put back.
    QObject::connect(&termination, &CTerminationSignals::terminationRequested, &window, [&window] {
        if (!window.IsEnded()) window.EndDialog(CKelvaneDlg::kResultCancel);
    });
    if (!window.InitDialog(minimised)) return 0;
    if (window.IsEnded()) return 0;
    // Started with "-m"/"-M", the window went to the tray (or, without a
    // notification area, to the taskbar minimised) and is not shown here.
    if (!window.IsInTray()) window.show();
    return QCoreApplication::exec();
}
