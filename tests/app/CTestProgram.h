// A private program directory for one main-window test: a copy of the
// simulator build of libWbcdflsh.so, the chip descriptors, the board defaults,
// the help pages and the skin out of the build's program directory, with the
// test's own Root.ini, an empty error.txt and a fresh simulated chip. Holds
// every seam the main window needs, recording doubles where the real one
// would reach outside the test (message boxes, mail, the desktop, power-off).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/CKelvaneApp.h"
#include "app/CKelvaneDlg.h"
#include "app/CSystemInfo.h"
#include "platform/CFileChipLock.h"
#include "platform/CManualClock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/ILibraryLoader.h"
#include "platform/ILocalTime.h"
#include "support/CTempDir.h"
#include "tests/app/CRecordingMailer.h"
#include "windows/IShellOpener.h"

// Opens libraries by name from one directory only, so that a test's engine
// loads the test's own copy of the simulator.
class CCountingLibraryLoader : public ILibraryLoader {
public:
    explicit CCountingLibraryLoader(std::string directory) : m_strDirectory(std::move(directory)) {}
    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;
    int Opens() const { return m_opens; }

private:
    std::string m_strDirectory;
    int m_opens = 0;
};

class CRecordingShellOpener : public IShellOpener {
public:
    bool OpenFile(const std::string& path) override
    {
        files.push_back(path);
        return true;
    }
    bool OpenUrl(const std::string& url) override
    {
        urls.push_back(url);
        return true;
    }
    std::vector<std::string> files;
    std::vector<std::string> urls;
};

class CFixedLocalTime : public ILocalTime {
public:
    std::tm Now() const override;
};

class CTestProgram {
public:
    // The first-start preferences of the shipped Root.ini, with the
    // temperature in Celsius and the log on.
    static const char* const kDefaultRootIni;

    // rootIni: the content of Root.ini; simchipIni: of simchip.ini (the
    // simulator's defaults when empty).
    explicit CTestProgram(const std::string& rootIni = kDefaultRootIni, const std::string& simchipIni = "");
    CTestProgram(const CTestProgram&) = delete;
    CTestProgram& operator=(const CTestProgram&) = delete;

    const std::string& Directory() const { return m_dir.Path(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }

    // The window's seams: no desktop buses, the link with Dravik Manager under
    // window classes of this program's own (SuiteClass(), OwnClass()), the
    // processor clock "2400", the autostart directory inside Directory().
    CKelvaneDlgSeams WindowSeams();
    std::unique_ptr<CKelvaneDlg> MakeWindow() { return std::make_unique<CKelvaneDlg>(WindowSeams()); }
    // The start as the program runs it, with the exit recorded in Exits();
    // instanceName: the single-instance listener's name, unique to this
    // program unless given.
    CKelvaneApp MakeApp(const std::string& instanceName = "");

    const std::string& SuiteClass() const { return m_suiteClass; }
    const std::string& OwnClass() const { return m_ownClass; }
    const std::string& InstanceName() const { return m_instanceName; }

    // kelvane-simctl --dir <this directory> arguments...; its exit status.
    int Simctl(const std::vector<std::string>& arguments);

    // The build's program directory (where the test binary lies).
    static std::string BuildProgramDirectory();

    CCountingLibraryLoader& Loader() { return m_loader; }
    CRecordingMessageBox& MessageBoxes() { return m_messageBox; }
    CRecordingMailer& Mailer() { return m_mailer; }
    CRecordingShellOpener& Shell() { return m_shell; }
    CRegistryKey& Registry() { return m_registry; }
    CRecordingPowerOff& PowerOff() { return m_powerOff; }
    CManualClock& Clock() { return m_clock; }
    const std::vector<int>& Exits() const { return m_exits; }

private:
    CTempDir m_dir;
    CCountingLibraryLoader m_loader;
    CFileChipLock m_lock;
    CRecordingMessageBox m_messageBox;
    CPrivateProfile m_profile;
    CRegistryKey m_registry;
    CManualClock m_clock;
    CRecordingPowerOff m_powerOff;
    CRecordingShellOpener m_shell;
    CRecordingMailer m_mailer;
    CFixedLocalTime m_localTime;
    CSystemInfo m_systemInfo;
    std::vector<int> m_exits;
    std::string m_suiteClass;
    std::string m_ownClass;
    std::string m_instanceName;
};
