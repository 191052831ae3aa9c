#include "tests/app/CTestProgram.h"

#include <dlfcn.h>
#include <unistd.h>

#include <QDBusConnection>

#include <filesystem>

#include "app/CProgramRunner.h"
#include "windows/CProgramDirectory.h"
#include "windows/history/CHistoryWindow.h"

namespace fs = std::filesystem;

void* CCountingLibraryLoader::Open(const std::string& name)
{
    ++m_opens;
    return ::dlopen((m_strDirectory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* CCountingLibraryLoader::Symbol(void* handle, const char* name) { return ::dlsym(handle, name); }

void CCountingLibraryLoader::Close(void* handle) { ::dlclose(handle); }

std::tm CFixedLocalTime::Now() const
{
    std::tm time{};
    time.tm_year = 2026 - 1900;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_hour = 9;
    time.tm_min = 30;
    time.tm_sec = 5;
    return time;
}

const char* const CTestProgram::kDefaultRootIni =
    "[VoltDisplay]\ncount=4\nItem1=0\nItem2=2\nItem3=3\nItem4=4\n"
    "[FanDisplay]\ncount=3\nItem1=0\nItem2=1\nItem3=2\n"
    "[TempDisplay]\ncount=3\nItem1=1\nItem2=0\nItem3=2\n"
    "[User]\nCentigrade=1\nSmartFan=1\nautorun=0\nEMailEnable=0\nEMailAddr=\nErrorLog=1\n";

namespace {

// Names no other test, test process or running program uses.
std::string Unique(const std::string& what)
{
    static int serial = 0;
    return what + " test " + std::to_string(::getpid()) + "-" + std::to_string(++serial);
}

QDBusConnection NoBus() { return QDBusConnection(QStringLiteral("kelvane-test-no-bus")); }

}  // namespace

std::string CTestProgram::BuildProgramDirectory() { return CProgramDirectory::GetProgramDirectory(); }

CTestProgram::CTestProgram(const std::string& rootIni, const std::string& simchipIni)
    : m_loader(m_dir.Path()),
      m_lock(m_dir.File("Dravik_SM_Event")),
      m_registry(m_dir.File("registry.db"), kHkeyLocalMachine),
      // A root without a board name: the board's defaults are def.ini.
      m_systemInfo(m_dir.File("no-such-root")),
      m_suiteClass(Unique("Dravik Manager")),
      m_ownClass(Unique("Kelvane")),
      m_instanceName(m_dir.File("CInstanceChecker_MMF_kelvane"))
{
    const fs::path build = BuildProgramDirectory();
    const fs::path target = m_dir.Path();
    fs::copy_file(build / "libWbcdflsh.so", target / "libWbcdflsh.so");
    for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
        const std::string name = entry.path().filename().string();
        const bool descriptor = name.starts_with("W83") && name.ends_with(".ini");
        if (descriptor || name == "def.ini") fs::copy_file(entry.path(), target / name);
    }
    fs::copy(build / "skin", target / "skin", fs::copy_options::recursive);
    fs::copy(build / "help", target / "help", fs::copy_options::recursive);
    CTempDir::Write(m_dir.File("Root.ini"), rootIni);
    CTempDir::Write(m_dir.File("error.txt"), "");
    CTempDir::Write(m_dir.File("simchip.ini"), simchipIni.empty() ? "[Chip]\nModel=W83782D\n" : simchipIni);
}

CKelvaneDlgSeams CTestProgram::WindowSeams()
{
    return CKelvaneDlgSeams{
        CEngineSeams{m_loader, m_lock, m_messageBox, m_profile, m_registry, m_clock, m_powerOff, m_dir.Path()},
        m_shell,
        m_mailer,
        m_localTime,
        "ENU",
        "",
        NoBus(),
        NoBus(),
        CSuiteTransport::Options{"/", m_suiteClass, m_ownClass},
        [] { return std::string("2400"); },
        m_dir.File("autostart"),
        false,
        CHistoryWindow::Make,
    };
}

CKelvaneApp CTestProgram::MakeApp(const std::string& instanceName)
{
    return CKelvaneApp(CKelvaneAppSeams{
        m_dir.Path(),
        m_systemInfo,
        m_profile,
        m_messageBox,
        m_registry,
        m_loader,
        m_lock,
        m_clock,
        m_powerOff,
        m_shell,
        m_mailer,
        m_localTime,
        "ENU",
        "testhost",
        [this](int status) { m_exits.push_back(status); },
        instanceName.empty() ? m_instanceName : instanceName,
        NoBus(),
        NoBus(),
        CSuiteTransport::Options{"/", m_suiteClass, m_ownClass},
        m_dir.File("autostart"),
    });
}

int CTestProgram::Simctl(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = {BuildProgramDirectory() + "/kelvane-simctl", "--dir", m_dir.Path()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CProgramRunner runner;
    return runner.Run(argv, "");
}
