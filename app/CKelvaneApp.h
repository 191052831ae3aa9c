// The program's start as far as it is the program's own logic: the board
// name, the check of the files that must lie in the program directory, the
// single-instance hand-off, the host name recorded for the alert mails, and
// the main window built on the engine's seams. The caller (the program's
// main) registers the automation service before and runs the window after.
#pragma once

#include <memory>
#include <string>

#include <QDBusConnection>

#include "app/CKelvaneDlg.h"
#include "app/CStartupFiles.h"
#include "windows/CSuiteTransport.h"

class CRegistryKey;
class CSystemInfo;
class CTerminationSignals;
class IChipLock;
class IClock;
class ILibraryLoader;
class ILocalTime;
class IMailer;
class IMessageBox;
class IPowerOff;
class IPrivateProfile;
class IShellOpener;

// Every process seam of the start. All must outlive the main window.
struct CKelvaneAppSeams {
    std::string programDirectory;  // without a trailing "/"
    const CSystemInfo& systemInfo;
    IPrivateProfile& profile;
    IMessageBox& messageBox;
    CRegistryKey& registry;  // HKEY_LOCAL_MACHINE of the program's hive
    ILibraryLoader& loader;
    IChipLock& lock;
    const IClock& clock;
    IPowerOff& powerOff;
    IShellOpener& shell;
    IMailer& mailer;
    const ILocalTime& localTime;
    std::string languageCode;
    std::string hostName;  // recorded as the computer name of the alert mails
    // Ends the process at once (no destructor runs); returns only in tests.
    CStartupFiles::ExitFunction exitProcess;
    // The single-instance listener's path (CInstanceChecker::NameFor
    // ("kelvane") in the program, empty without a private directory: then
    // there is no check); tests give paths of their own.
    std::string instanceName;
    QDBusConnection sessionBus;  // the tray host's
    QDBusConnection systemBus;   // suspend and resume notices
    CSuiteTransport::Options suiteLink;
    std::string autostartDirectory;
    HistoryWindowFactory historyWindows = {};  // see CKelvaneDlgSeams
};

class CKelvaneApp {
public:
    // Printed (with a line end) on standard error by a copy that hands off.
    static constexpr const char* kAlreadyRunningMessage = "Kelvane is already running; brought its window forward";

    explicit CKelvaneApp(CKelvaneAppSeams seams);

    // The board name, then the file check of Root.ini, error.txt and the
    // board's defaults file: when one cannot be opened, "Open File error!"
    // and the process ends with status 0 before anything is written or the
    // chip is touched. Then the single-instance check: when an earlier copy
    // listens, it is asked to bring its window forward and this process ends
    // with status 0, again before anything is written or the chip touched;
    // otherwise this copy takes the listener. Then the host name is recorded
    // and the main window built (which takes the chip and keeps the
    // listener). Null only when the exit function returned.
    std::unique_ptr<CKelvaneDlg> CreateMainWindow();

    const std::string& BoardName() const { return m_strBoardName; }
    // True when CreateMainWindow found an earlier copy of the same user and
    // left the window to it.
    bool HandedOff() const { return m_handedOff; }

    // Runs the built window as the program's dialog: initialisation, then
    // the event loop until the dialog ends; a termination signal (log-out,
    // Ctrl+C) ends the dialog the ordinary way. A dialog that ended during
    // initialisation, for a failed start or a signal while a start-up box
    // was up, starts no event loop: its quit was spent in the box's loop and
    // a loop started now would never end. Returns the process status.
    // The caller keeps the signals' handlers until the window is destroyed,
    // so that a second signal cannot cut short the chip's hand-back.
    static int RunMainWindow(CKelvaneDlg& window, bool minimised, CTerminationSignals& termination);

private:
    void HandOff();

    CKelvaneAppSeams m_seams;
    std::string m_strBoardName;
    bool m_handedOff = false;
};
