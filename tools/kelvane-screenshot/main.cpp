// kelvane-screenshot OUTDIR [TICKS]
//
// Renders Kelvane's main window as the user sees it, without a display: a
// private program directory is laid out in a temporary folder from the
// build's program directory (the simulator library, the chip descriptors, the
// board defaults, the skin and Root.ini), the window runs TICKS monitoring
// ticks (default 3) on that simulated chip, and the compact and the expanded
// form are written to OUTDIR/main-compact.png and OUTDIR/main-expanded.png,
// transparent outside the window's outline.
//
// Nothing leaves the temporary folder: no mail is sent, the power-off and the
// desktop are stand-ins that do nothing, message boxes go to stderr.
#include <dlfcn.h>
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/CKelvaneDlg.h"
#include "app/IMailer.h"
#include "platform/CFileChipLock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRegistryKey.h"
#include "platform/CSteadyClock.h"
#include "platform/CSystemLocalTime.h"
#include "platform/ILibraryLoader.h"
#include "platform/IMessageBox.h"
#include "platform/IPowerOff.h"
#include "windows/CProgramDirectory.h"
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
    shaped.fill(Qt::transparent);
    QPainter painter(&shaped);
    painter.setClipRegion(window.Outline());
    painter.drawImage(0, 0, picture);
    return shaped;
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
    const int ticks = argc == 3 ? std::atoi(argv[2]) : 3;
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
        CKelvaneDlg window(CKelvaneDlgSeams{
            CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff, folder.path},
            desktop, mail, localTime, "ENU", ""});
        if (!window.InitDialog()) return 1;
        for (int tick = 0; tick < ticks; ++tick) window.OnTimer(CKelvaneDlg::kMonitorTimer);
        window.show();
        QApplication::processEvents();

        fs::create_directories(output, error);
        if (!Shot(window).save(QString::fromStdString((output / "main-compact.png").string()))) status = 1;
        window.ShowDetail();
        QApplication::processEvents();
        if (!Shot(window).save(QString::fromStdString((output / "main-expanded.png").string()))) status = 1;
    }
    return status;
}
