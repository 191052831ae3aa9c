// The Display Setting dialog on a private program directory: the engine runs
// on the chip simulator, the skin is the one the build draws, and every
// effect outside the process (the desktop opener, the autostart directory,
// the mail program, message boxes) goes to a test double or a temporary
// directory.
#pragma once

#include "app/CEmailLogon.h"
#include "windows/CIniFile.h"
#include "app/CMapiMailTransport.h"
#include "app/CMapiMailer.h"
#include "app/CProgramRunner.h"
#include "windows/CUserPreferences.h"
#include "engine/SimulatorProgram.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "skin/CSkinLibrary.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CDisplaySettingDlg.h"
#include "windows/CSortedListBox.h"
#include "windows/IShellOpener.h"

#include <QAbstractButton>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CRecordingShellOpener : public IShellOpener {
public:
    bool OpenFile(const std::string& path) override
    {
        opened.push_back(path);
        return true;
    }
    std::vector<std::string> opened;
};

// Runs in a directory of its own, so that the translation file looked up
// there is the test's; the previous directory comes back at the end.
class CScopedCurrentDirectory {
public:
    explicit CScopedCurrentDirectory(const std::string& directory) : m_previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(directory);
    }
    ~CScopedCurrentDirectory()
    {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
    }

private:
    std::filesystem::path m_previous;
};

class CDisplaySettingFixture {
public:
    explicit CDisplaySettingFixture(const std::string& languageCode = "ENU")
        : m_skinLibrary(CopySkin(m_program)),
          m_directory(m_program.Directory()),
          m_translator(m_profile, languageCode),
          m_mailer(m_runner, {m_program.m_dir.File("nowhere/sendmail")}),
          m_transport(m_mailer),
          m_logon(m_transport, m_messageBox)
    {
        bool started = false;
        m_engine = m_program.StartEngine(&started);
        m_started = started;
        CTempDir::Write(IniPath(), "");
    }

    std::string ProgramDirectory() const { return m_program.Directory(); }
    std::string IniPath() const { return m_program.m_dir.File("Root.ini"); }
    std::string AutostartDirectory() const { return m_program.m_dir.File("autostart"); }

    CDisplaySettingDlg::Context Context()
    {
        return CDisplaySettingDlg::Context{
            CMonitorSettings::Take(*m_engine, {}),
            preferences,
            IniPath(),
            [this](const std::string& path) {
                CIniFile file(path, m_profile);
                preferences.SavePreferences(file);
                ++saves;
            },
            [this] { return m_logon.InitEmail(preferences, m_mailReady); },
            [this] { ++subScreenRefreshes; },
            m_skinLibrary,
            m_translator,
            opener,
            m_program.Directory(),
            AutostartDirectory(),
        };
    }

    std::unique_ptr<CDisplaySettingDlg> Open() { return std::make_unique<CDisplaySettingDlg>(Context()); }

    static CSortedListBox* List(CDisplaySettingDlg& dialog, int id)
    {
        return qobject_cast<CSortedListBox*>(dialog.Control(id));
    }
    static void Click(CDisplaySettingDlg& dialog, int id)
    {
        qobject_cast<QAbstractButton*>(dialog.Control(id))->click();
    }
    CHardwareMonitor& Engine() { return *m_engine; }
    bool Started() const { return m_started; }

    CUserPreferences preferences;
    CRecordingShellOpener opener;
    CRecordingMessageBox& MessageBoxes() { return m_messageBox; }
    int saves = 0;
    int subScreenRefreshes = 0;

private:
    static CSkinLibrary CopySkin(SimulatorProgram& program)
    {
        const std::filesystem::path build = BuildProgramDirectory();
        program.CopySkin();
        std::filesystem::copy_file(build / "kelvaneDEU.ini", program.m_dir.File("kelvaneDEU.ini"));
        return CSkinLibrary(CSkinLibrary::SkinDirectory(QString::fromStdString(program.Directory())));
    }

    SimulatorProgram m_program;
    CSkinLibrary m_skinLibrary;
    CScopedCurrentDirectory m_directory;
    CPrivateProfile m_profile;
    CCaptionTranslator m_translator;
    CProgramRunner m_runner;
    CMapiMailer m_mailer;
    CMapiMailTransport m_transport;
    CRecordingMessageBox m_messageBox;
    CEmailLogon m_logon;
    bool m_mailReady = false;
    std::unique_ptr<CHardwareMonitor> m_engine;
    bool m_started = false;
};
