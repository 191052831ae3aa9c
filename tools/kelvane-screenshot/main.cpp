// kelvane-screenshot OUTDIR [TICKS]
//
// Renders Kelvane's main window as the user sees it, without a display: a
// private program directory is laid out in a temporary folder from the
// build's program directory (the simulator library, the chip descriptors, the
// board defaults, the skin and Root.ini), the window runs TICKS monitoring
// ticks (default 60) on that simulated chip while kelvane-simctl lets the
// readings wander as a running machine's do, and the compact form, the
// expanded form with its numeric panels and the expanded form with its graph
// panels are written to OUTDIR/main-compact.png, OUTDIR/main-expanded.png and
// OUTDIR/main-expanded-graphs.png, transparent outside the window's outline.
// Then the CPU temperature is driven over its limit with a 30 s shut-down
// time: OUTDIR/main-alarm.png (the well and the panel in alarm),
// OUTDIR/main-alarm-strip.png (the compact form with the alarm strip naming it
// and an input no well shows),
// OUTDIR/shutdown-countdown.png (the countdown box) and OUTDIR/tray-alarm.png (the tray icon, plain and in alarm, with the alarm
// tooltip as the desktop shows it).
//
// Nothing leaves the temporary folder: no mail is sent, the power-off and the
// desktop are stand-ins that do nothing, message boxes go to stderr.
#include <dlfcn.h>
#include <stdlib.h>

#include <QApplication>
#include <QDBusConnection>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/CKelvaneDlg.h"
#include "history/CHistoryWriter.h"
#include "windows/history/CHistoryWindow.h"
#include "app/CProgramRunner.h"
#include "app/IMailer.h"
#include "platform/CFileChipLock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRegistryKey.h"
#include "platform/CSteadyClock.h"
#include "platform/CSystemLocalTime.h"
#include "platform/ILibraryLoader.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "platform/IMessageBox.h"
#include "platform/IPowerOff.h"
#include "windows/CFanSubScreen.h"
#include "windows/CProgramDirectory.h"
#include "windows/CShutdownCountdown.h"
#include "windows/CSystemTray.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"
#include "windows/IShellOpener.h"

namespace fs = std::filesystem;

namespace {

class CPrivateLoader : public ILibraryLoader {
public:
    explicit CPrivateLoader(std::string directory) : m_directory(std::move(directory)) {}
    void* Open(const std::string& name) override { return ::dlopen((m_directory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL); }
    void* Symbol(void* handle, const char* name) override { return ::dlsym(handle, name); }
    void Close(void* handle) override { ::dlclose(handle); }

private:
    std::string m_directory;
};

class CStderrMessageBox : public IMessageBox {
public:
    int Show(const std::string& text, const std::string& caption, unsigned) override
    {
        std::cerr << caption << ": " << text << '\n';
        return MessageBoxResult::kOk;
    }
};

class CNoPowerOff : public IPowerOff {
public:
    bool PowerOff() override { return false; }
};

class CNoMail : public IMailer {
public:
    int Logon() override { return 2; }
    void Logoff() override {}
    bool SendMail(std::string_view, std::string_view, std::string_view, std::string_view) override { return false; }
};

class CNoDesktop : public IShellOpener {
public:
    bool OpenFile(const std::string&) override { return false; }
};

// The window's picture, transparent outside its outline.
QImage Shot(CKelvaneDlg& window)
{
    QImage picture = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage shaped(picture.size(), QImage::Format_ARGB32);
    // At a scale above 1 the grab has more pixels than the window has
    // points; the outline is in points, the picture keeps every pixel.
    shaped.setDevicePixelRatio(picture.devicePixelRatio());
    shaped.fill(Qt::transparent);
    QPainter painter(&shaped);
    painter.setClipRegion(window.Outline());
    painter.drawImage(0, 0, picture);
    return shaped;
}

// Readings that wander like a running machine's: kelvane-simctl sets the
// simulated chip's inputs for one tick. A short fan stall shows on the fan
// graph.
bool Wander(const std::string& directory, int tick)
{
    const double t = tick * 0.21;
    char assignments[256];
    std::snprintf(assignments, sizeof assignments,
                  "IN0=%.3f IN1=%.3f IN2=%.3f IN3=%.3f IN4=%.3f TEMP1=%.1f TEMP2=%.1f TEMP3=%.1f FAN1=%d FAN2=%d "
                  "FAN3=%d",
                  1.50 + 0.03 * std::sin(t), 1.20 + 0.02 * std::sin(t * 1.7), 3.30 + 0.05 * std::sin(t * 0.6),
                  2.976 + 0.04 * std::sin(t * 0.9), 3.158 + 0.06 * std::sin(t * 1.3), 38 + 3 * std::sin(t * 0.5),
                  45.5 + 9 * std::sin(t * 0.35), 35 + 2 * std::sin(t * 0.8),
                  static_cast<int>(4500 + 600 * std::sin(t * 0.7)), static_cast<int>(3000 + 250 * std::sin(t)),
                  tick > 40 && tick < 48 ? 0 : static_cast<int>(2700 + 300 * std::sin(t * 1.1)));
    std::vector<std::string> argv = {CProgramDirectory::GetProgramDirectory() + "/kelvane-simctl", "--dir", directory,
                                     "set"};
    for (std::string_view rest = assignments; !rest.empty();) {
        const std::size_t blank = rest.find(' ');
        argv.emplace_back(rest.substr(0, blank));
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    CProgramRunner runner;
    return runner.Run(argv, "") == 0;
}

struct CTempFolder {
    CTempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "kelvane-shot-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~CTempFolder()
    {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    std::string path;
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: kelvane-screenshot OUTDIR [TICKS]\n";
        return 2;
    }
    const fs::path output = argv[1];
    const int ticks = argc == 3 ? std::atoi(argv[2]) : 60;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);

    const fs::path build = CProgramDirectory::GetProgramDirectory();
    CTempFolder folder;
    if (folder.path.empty()) return 1;
    const fs::path target = folder.path;
    std::error_code error;
    fs::copy_file(build / "libWbcdflsh.so", target / "libWbcdflsh.so", error);
    for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
        const std::string name = entry.path().filename().string();
        if ((name.starts_with("W83") || name == "def.ini" || name == "Root.ini") && name.ends_with(".ini"))
            fs::copy_file(entry.path(), target / name, error);
    }
    fs::copy(build / "skin", target / "skin", fs::copy_options::recursive, error);
    std::FILE* log = std::fopen((target / "error.txt").c_str(), "w");
    if (log != nullptr) std::fclose(log);

    CPrivateLoader loader(folder.path);
    CFileChipLock lock(folder.path + "/Dravik_SM_Event");
    CStderrMessageBox messageBox;
    CPrivateProfile profile;
    CRegistryKey registry(folder.path + "/registry.db", kHkeyLocalMachine);
    CSteadyClock clock;
    CNoPowerOff powerOff;
    CNoDesktop desktop;
    CNoMail mail;
    CSystemLocalTime localTime;

    int status = 0;
    {
        // No desktop buses (no tray icon, no power notices) and a suite
        // class nobody uses: the picture never depends on the desktop.
        const QDBusConnection noBus(QStringLiteral("kelvane-screenshot-no-bus"));
        CKelvaneDlg window(CKelvaneDlgSeams{
            CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff, folder.path},
            desktop, mail, localTime, "ENU", "", noBus, noBus,
            CSuiteTransport::Options{"/", "Dravik Manager screenshot", "Kelvane screenshot"}, {},
            folder.path + "/autostart", false, CHistoryWindow::Make});
        if (!window.InitDialog()) return 1;
        for (int tick = 0; tick < ticks; ++tick) {
            if (!Wander(folder.path, tick)) std::cerr << "kelvane-simctl failed; the readings stay\n";
            window.OnTimer(CKelvaneDlg::kMonitorTimer);
        }
        // The numeric panels show the last readings as their own timers would.
        window.Panels().VoltPanel()->Refresh();
        window.Panels().FanPanel()->Refresh();
        window.Panels().TempPanel()->Refresh();
        window.show();
        QApplication::processEvents();

        fs::create_directories(output, error);
        const auto save = [&](const char* name) {
            QApplication::processEvents();
            if (!Shot(window).save(QString::fromStdString((output / name).string()))) status = 1;
        };
        save("main-compact.png");
        window.ShowDetail();
        save("main-expanded.png");
        window.Button(CKelvaneDlg::kIdVoltDetail)->click();
        window.Button(CKelvaneDlg::kIdFanDetail)->click();
        window.Button(CKelvaneDlg::kIdTempDetail)->click();
        save("main-expanded-graphs.png");

        // An alarm with a shut-down timer: the CPU temperature at 92 C.
        window.Button(CKelvaneDlg::kIdVoltBack)->click();
        window.Button(CKelvaneDlg::kIdFanBack)->click();
        window.Button(CKelvaneDlg::kIdTempBack)->click();
        CSensorItem* cpu = window.Engine().Item(CHardwareMonitor::kFirstTemp + 1);
        cpu->SetShutDownEnable(true);
        cpu->SetShutDownTime(30);
        CProgramRunner simctl;
        simctl.Run({(build / "kelvane-simctl").string(), "--dir", folder.path, "set", "TEMP2=92"}, "");
        for (int tick = 0; tick < 3; ++tick) window.OnTimer(CKelvaneDlg::kMonitorTimer);
        window.Panels().TempPanel()->OnTimer(window.Panels().TempPanel()->TimerId());
        save("main-alarm.png");
        QApplication::processEvents();
        if (!window.Countdown().grab().save(QString::fromStdString((output / "shutdown-countdown.png").string())))
            status = 1;
        // A second alarm on an input no well shows: the strip names both.
        simctl.Run({(build / "kelvane-simctl").string(), "--dir", folder.path, "set", "IN1=1.44"}, "");
        window.OnTimer(CKelvaneDlg::kMonitorTimer);
        window.ShowCompact();
        save("main-alarm-strip.png");

        // The tray as the desktop shows it: the plain and the alarm icon,
        // and the tooltip the icon carries now.
        const QIcon plain = CSystemTray::IconFromImage(
            CSkinLibrary(CSkinLibrary::SkinDirectory(QString::fromStdString(folder.path))).Image(CKelvaneDlg::kIcon));
        QLabel tip(window.Tray().Tooltip());
        tip.setStyleSheet(QStringLiteral("QLabel { background: #FFFFE1; color: black; border: 1px solid #767676;"
                                         " padding: 3px 6px; }"));
        tip.adjustSize();
        QImage tray(std::max(tip.width(), 100) + 16, 64 + tip.height() + 16, QImage::Format_ARGB32);
        tray.fill(QColor(0x2B, 0x2F, 0x36));
        QPainter painter(&tray);
        painter.drawPixmap(8, 8, plain.pixmap(48, 48));
        painter.drawPixmap(64, 8, CSystemTray::AlarmVariant(plain).pixmap(48, 48));
        tip.render(&painter, QPoint(8, 64));
        painter.end();
        if (!tray.save(QString::fromStdString((output / "tray-alarm.png").string()))) status = 1;

        // The history window over six hours of made-up readings of these
        // items: a working afternoon with a load peak that set off the CPU
        // temperature's alarm.
        const std::string history = folder.path + "/history-demo.db";
        const int64_t end = 1796774400000LL;  // 2026-12-09T00:00:00Z
        {
            CHistoryWriter writer(history, [](const std::string& message) { std::cerr << message << "\n"; });
            CReadingSnapshot snapshot = CReadingSnapshot::Take(window.Engine(), 0, "library");
            for (int64_t t = end - 6 * 3600000LL; t <= end; t += 2500) {
                const double hours = static_cast<double>(end - t) / 3600000.0;
                const double load = std::exp(-std::pow((hours - 2.2) / 0.35, 2.0)) + 0.25 * std::sin(hours * 3.1) + 0.25;
                snapshot.timeMs = t;
                for (std::size_t i = 0; i < snapshot.items.size(); ++i) {
                    CReadingSnapshot::Item& item = snapshot.items[i];
                    const double wobble = std::sin(static_cast<double>(t) / 41000.0 + static_cast<double>(i)) * 0.5;
                    if (item.kind == CReadingSnapshot::Kind::kTemperature)
                        item.value = 34.0 + 6.0 * static_cast<double>(i % 3) + 26.0 * load * (i % 3 == 1 ? 1.0 : 0.45) + wobble;
                    else if (item.kind == CReadingSnapshot::Kind::kFan)
                        item.value = 1800.0 + 900.0 * load + 40.0 * wobble + 300.0 * static_cast<double>(i % 2);
                    else if (item.value)
                        item.value = *item.value * (1.0 - 0.01 * load) + 0.004 * wobble;
                    item.readOk = true;
                    item.alarm = item.hi && item.value && *item.value > *item.hi;
                }
                writer.Record(snapshot);
            }
        }
        CHistoryWindow historyWindow(history, false, [end] { return end; });
        historyWindow.ChooseKind(CReadingSnapshot::Kind::kTemperature);
        historyWindow.ShowSpan(CHistoryWindow::Span::kSixHours);
        historyWindow.resize(980, 560);
        historyWindow.show();
        QApplication::processEvents();
        historyWindow.ShowReadout(end - static_cast<int64_t>(2.2 * 3600000));
        if (!historyWindow.grab().save(QString::fromStdString((output / "history.png").string()))) status = 1;
    }
    return status;
}
