// The main window's cost per monitoring tick on the chip simulator: the
// refresh alone (engine update, the three slots, the warning check) and the
// refresh followed by painting the whole window, as a visible window does it
// every 2.5 s. The window runs on a private copy of the program directory;
// mail, power-off, message boxes and the desktop are stand-ins.
#include <dlfcn.h>
#include <stdlib.h>

#include <QApplication>
#include <QDBusConnection>
#include <QPixmap>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "app/CKelvaneDlg.h"
#include "app/IMailer.h"
#include "platform/CFileChipLock.h"
#include "platform/CManualClock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/CSystemLocalTime.h"
#include "platform/ILibraryLoader.h"
#include "windows/CProgramDirectory.h"
#include "windows/IShellOpener.h"

namespace fs = std::filesystem;

namespace {

class PrivateLoader : public ILibraryLoader {
public:
    explicit PrivateLoader(std::string directory) : m_directory(std::move(directory)) {}
    void* Open(const std::string& name) override { return ::dlopen((m_directory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL); }
    void* Symbol(void* handle, const char* name) override { return ::dlsym(handle, name); }
    void Close(void* handle) override { ::dlclose(handle); }

private:
    std::string m_directory;
};

class NoMail : public IMailer {
public:
    int Logon() override { return 2; }
    void Logoff() override {}
    bool SendMail(std::string_view, std::string_view, std::string_view, std::string_view) override { return false; }
};

class NoDesktop : public IShellOpener {
public:
    bool OpenFile(const std::string&) override { return false; }
};

// A program directory in a temporary folder, removed at the end.
struct Program {
    Program()
    {
        std::string pattern = (fs::temp_directory_path() / "kelvane-bench-XXXXXX").string();
        directory = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        const fs::path build = CProgramDirectory::GetProgramDirectory();
        fs::copy_file(build / "libWbcdflsh.so", fs::path(directory) / "libWbcdflsh.so");
        for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
            const std::string name = entry.path().filename().string();
            if ((name.starts_with("W83") || name == "def.ini" || name == "Root.ini") && name.ends_with(".ini"))
                fs::copy_file(entry.path(), fs::path(directory) / name);
        }
        fs::copy(build / "skin", fs::path(directory) / "skin", fs::copy_options::recursive);
        std::FILE* log = std::fopen((directory + "/error.txt").c_str(), "w");
        if (log != nullptr) std::fclose(log);
    }
    ~Program()
    {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
    std::string directory;
};

struct Window {
    explicit Window(bool history = false)
        : loader(program.directory),
          lock(program.directory + "/Dravik_SM_Event"),
          registry(program.directory + "/registry.db", kHkeyLocalMachine),
          window(CKelvaneDlgSeams{CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff,
                                               program.directory},
                                  desktop, mail, localTime, "ENU", "",
                                  // No desktop buses; the link looks for a suite class nobody uses.
                                  QDBusConnection(QStringLiteral("kelvane-bench-no-bus")),
                                  QDBusConnection(QStringLiteral("kelvane-bench-no-bus")),
                                  CSuiteTransport::Options{"/", "Dravik Manager bench", "Kelvane bench"},
                                  {}, program.directory + "/autostart"})
    {
        if (history) window.SetHistoryFile(program.directory + "/history.db");
        window.InitDialog();
    }
    Program program;
    PrivateLoader loader;
    CFileChipLock lock;
    CRecordingMessageBox messageBox;
    CPrivateProfile profile;
    CRegistryKey registry;
    CManualClock clock;
    CRecordingPowerOff powerOff;
    NoDesktop desktop;
    NoMail mail;
    CSystemLocalTime localTime;
    CKelvaneDlg window;
};

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "bench_mainwindow";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

void BM_RefreshTick(benchmark::State& state)
{
    Application();
    Window w;
    for (auto _ : state) w.window.OnTimer(CKelvaneDlg::kMonitorTimer);
}
BENCHMARK(BM_RefreshTick)->Unit(benchmark::kMicrosecond);

void BM_RefreshAndPaintCompact(benchmark::State& state)
{
    Application();
    Window w;
    for (auto _ : state) {
        w.window.OnTimer(CKelvaneDlg::kMonitorTimer);
        benchmark::DoNotOptimize(w.window.grab());
    }
}
BENCHMARK(BM_RefreshAndPaintCompact)->Unit(benchmark::kMicrosecond);

// An hour of ticks (1440) without and with the history, each in a process
// of its own (--benchmark_filter=BM_IdleHour/0, then /1): the processor time
// of a tick as a share of its 2.5 s period, and the resident memory after
// the hour.
long ResidentKiB()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr)
        if (std::sscanf(line, "VmRSS: %ld kB", &kib) == 1) break;
    std::fclose(status);
    return kib;
}

void BM_IdleHour(benchmark::State& state)
{
    Application();
    Window w(state.range(0) != 0);
    constexpr int kTicks = 1440;
    const auto cpuSeconds = [] {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    };
    double used = 0.0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        for (int i = 0; i < kTicks; ++i) w.window.OnTimer(CKelvaneDlg::kMonitorTimer);
        used += cpuSeconds() - start;
    }
    state.counters["cpu_share_pct"] = 100.0 * used / (kTicks * CKelvaneDlg::kMonitorPeriodMs / 1000.0);
    state.counters["rss_MiB"] = static_cast<double>(ResidentKiB()) / 1024.0;
}
BENCHMARK(BM_IdleHour)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
