// Kelvane: the hardware monitor's window program.
//
// Start, in order: the automation service (only when started by the
// automation system), the board name, the check of Root.ini, error.txt and
// the board's defaults file, the single-instance hand-off (a second copy
// brings the first one's window forward and ends), the host name recorded for
// the alert mails, the main window with the engine on the real seams, the
// window's initialisation (tray icon, preferences, mail logon, engine start,
// panels, the link with Dravik Manager), and the window shown. The program
// ends when the main window's dialog ends.
#include <QApplication>
#include <QDBusConnection>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

#include "accesslib/hwmon/CHwmonScanner.h"
#include "app/CAsyncMailer.h"
#include "app/CAutomationService.h"
#include "app/CCommandLine.h"
#include "app/CComputerName.h"
#include "app/CDisplayCheck.h"
#include "app/CKelvaneApp.h"
#include "app/CMapiMailTransport.h"
#include "app/CMapiMailer.h"
#include "app/CProgramRunner.h"
#include "app/CStartupFiles.h"
#include "app/CSystemInfo.h"
#include "app/CTerminationSignals.h"
#include "platform/CAutostartEntry.h"
#include "platform/CDlLibraryLoader.h"
#include "platform/CFileChipLock.h"
#include "platform/CInstalledLayout.h"
#include "platform/CLogindPowerOff.h"
#include "platform/CPrivateProfile.h"
#include "platform/CQtMessageBox.h"
#include "platform/CRegistryKey.h"
#include "platform/CAccessOptions.h"
#include "platform/CAccessPathLoader.h"
#include "platform/CSystemAccessProbes.h"
#include "platform/CSteadyClock.h"
#include "platform/CSystemLocalTime.h"
#include "windows/CHistoryWindowModule.h"
#include "windows/CInstanceChecker.h"
#include "windows/CLanguage.h"
#include "windows/CProgramDirectory.h"
#include "history/CHistoryLocation.h"
#include "windows/CQtShellOpener.h"

int main(int argc, char* argv[])
{
    if (!CDisplayCheck::HasDisplay(std::getenv)) {
        std::fprintf(stderr, "%s\n", CDisplayCheck::kNoDisplayMessage);
        return 1;
    }
    QApplication application(argc, argv);
    // The window may be hidden (refused close, tray) while message boxes
    // come and go; the program ends only when the main window's dialog ends.
    application.setQuitOnLastWindowClosed(false);

    // The access options are taken out first: "-m" alone still starts
    // minimised when they are given.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const CAccessOptions accessOptions = CAccessOptions::Take(arguments);
    const CCommandLine commandLine(arguments);
    CAutomationService automation(QDBusConnection::sessionBus());
    if (CAutomationService::ShouldRegister(commandLine)) automation.Register();

    std::string layoutError;
    const std::string programDirectory =
        CInstalledLayout::ProgramDirectory(CProgramDirectory::GetProgramDirectory(), std::getenv, layoutError);
    if (programDirectory.empty() && !layoutError.empty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Kelvane"), QString::fromStdString(layoutError));
        return 1;
    }
    const CSystemInfo systemInfo("/");
    CPrivateProfile profile;
    CQtMessageBox messageBox;
    CRegistryKey registry(programDirectory + "/registry.db", kHkeyLocalMachine);
    AccessPath wanted = AccessPath::kAuto;
    std::string accessProblem = accessOptions.error;
    if (accessProblem.empty())
        CAccessPathChooser::WantedPath(accessOptions.access, profile, programDirectory + "/Root.ini", wanted, accessProblem);
    if (!accessProblem.empty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Kelvane"), QString::fromStdString(accessProblem));
        return 1;
    }
    // The hwmon build reads the sysfs root from the environment.
    if (!accessOptions.sysfsRoot.empty()) ::setenv(kSysfsRootVariable, accessOptions.sysfsRoot.c_str(), 1);
    const std::string sysfsRoot = CHwmonScanner::RootFromEnvironment();
    // The library beside the program directory's files first (an installed
    // program links it into the user's directory, where the simulator keeps
    // its state), then the executable's RUNPATH; the build of the chosen
    // access path beside it. The choice is made when the engine connects at
    // the start, after the single-instance hand-off: a second copy never
    // probes the chip.
    CDlLibraryLoader libraryLoader(programDirectory);
    CAccessPathLoader loader(
        libraryLoader, wanted,
        [&](const std::string& libraryDirectory) -> std::unique_ptr<IAccessProbes> {
            return std::make_unique<CSystemAccessProbes>(libraryDirectory, sysfsRoot, "/proc", libraryLoader);
        },
        [](const CAccessPathChooser::CChoice& choice) {
            const std::string text = CAccessPathChooser::StartMessage(choice);
            if (text.empty()) return;
            if (choice.ok) QMessageBox::warning(nullptr, QStringLiteral("Kelvane"), QString::fromStdString(text));
            else QMessageBox::critical(nullptr, QStringLiteral("Kelvane"), QString::fromStdString(text));
        });
    CFileChipLock lock(accessOptions.lockFile.empty() ? CFileChipLock::DefaultPath() : accessOptions.lockFile);
    // A peer stopped while holding the chip lock must not keep a termination
    // signal from ending the program.
    lock.SetTerminationCheck(&CTerminationSignals::IsRequested);
    CSteadyClock clock;
    CLogindPowerOff powerOff;
    CQtShellOpener shell;
    CProgramRunner runner;
    CMapiMailer mailer(runner);
    CMapiMailTransport transport(mailer);
    // Alert mails leave on a thread of their own: a sendmail that waits for
    // an unreachable server (up to the runner's 30 s) never holds the tick.
    CAsyncMailer mail(transport);
    CSystemLocalTime localTime;
    // The history window's module, beside the program in a build tree and
    // through the RUNPATH when installed, loaded when the window is first
    // opened.
    CDlLibraryLoader moduleLoader;
    CHistoryWindowModule historyModule(moduleLoader);

    CKelvaneApp kelvane(CKelvaneAppSeams{
        programDirectory,
        systemInfo,
        profile,
        messageBox,
        registry,
        loader,
        lock,
        clock,
        powerOff,
        shell,
        mail,
        localTime,
        CLanguage::FromSystemLocale().GetLanguageCode(),
        CComputerName::HostName(),
        CStartupFiles::ExitImmediately,
        CInstanceChecker::NameFor(CInstanceChecker::kApplicationName).toStdString(),
        QDBusConnection::sessionBus(),
        QDBusConnection::systemBus(),
        CSuiteTransport::Options{},
        CAutostartEntry::DefaultDirectory(),
        historyModule.Factory(),
    });

    std::unique_ptr<CKelvaneDlg> window = kelvane.CreateMainWindow();
    if (!window) return 0;
    window->SetAutomationService(&automation);
    window->SetChipAccess(loader.Choice().description);
    window->SetAccessState(loader.Choice().Simulated(), loader.Choice().notes);
    // An installed program keeps its history in the user's state directory.
    const bool installed = !CInstalledLayout::DataDirectory(CProgramDirectory::GetProgramDirectory()).empty();
    window->SetHistoryFile(CHistoryLocation::File(installed, programDirectory, std::getenv));
    // Suspend and resume from the login manager reach the main window
    // through its tray object.
    CTerminationSignals termination;
    const int status = CKelvaneApp::RunMainWindow(*window, commandLine.IsMinimised(), termination);
    window.reset();
    return status;
}
