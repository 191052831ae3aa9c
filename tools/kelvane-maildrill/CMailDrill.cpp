#include "tools/kelvane-maildrill/CMailDrill.h"

#include "app/CComputerName.h"
#include "app/CEmailLogon.h"
#include "windows/CIniFile.h"
#include "app/CMapiMailTransport.h"
#include "app/CMapiMailer.h"
#include "app/CProgramRunner.h"
#include "app/CStartupFiles.h"
#include "windows/CUserPreferences.h"
#include "app/CWarningMonitor.h"
#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
#include "platform/CDlLibraryLoader.h"
#include "platform/CFileChipLock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/CSteadyClock.h"
#include "platform/CSystemLocalTime.h"
#include "platform/IMessageBox.h"

namespace {

// No one can press a button in a drill: a box is written to the error
// stream and answered with OK.
class ConsoleMessageBox : public IMessageBox {
public:
    explicit ConsoleMessageBox(std::ostream& err) : m_err(err) {}
    int Show(const std::string& text, const std::string& caption, unsigned) override
    {
        m_err << "message box [" << caption << "]: " << text << "\n";
        return MessageBoxResult::kOk;
    }

private:
    std::ostream& m_err;
};

// The mail component, telling what it hands to the mail program.
class ReportingMailer : public IMailer {
public:
    ReportingMailer(IMailer& mailer, std::ostream& out) : m_mailer(mailer), m_out(out) {}
    int Logon() override { return m_mailer.Logon(); }
    void Logoff() override { m_mailer.Logoff(); }
    bool SendMail(std::string_view displayName, std::string_view recipients, std::string_view subject,
                  std::string_view body) override
    {
        const bool sent = m_mailer.SendMail(displayName, recipients, subject, body);
        m_out << "mail to " << recipients << ": " << subject << (sent ? " (handed over)" : " (FAILED)") << "\n";
        ++(sent ? m_sent : m_failed);
        return sent;
    }
    int Sent() const { return m_sent; }
    int Failed() const { return m_failed; }

private:
    IMailer& m_mailer;
    std::ostream& m_out;
    int m_sent = 0;
    int m_failed = 0;
};

std::string AlarmNames(const CHardwareMonitor& engine)
{
    std::string names;
    for (const CWarningMonitor::Reading& item : CWarningMonitor::ReadItems(engine)) {
        if (!item.enabled || !item.outOfRange) continue;
        if (!names.empty()) names += ", ";
        names += item.name;
    }
    return names.empty() ? "none" : names;
}

}  // namespace

bool CMailDrill::ParseArguments(const std::vector<std::string>& arguments, Options& options) const
{
    const auto value = [&](std::size_t& i, std::string& into) {
        if (i + 1 >= arguments.size()) {
            m_err << "kelvane-maildrill: " << arguments[i] << " needs a value\n";
            return false;
        }
        into = arguments[++i];
        return true;
    };
    bool haveRecipients = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--board") {
            if (!value(i, options.boardName)) return false;
        } else if (argument == "--sendmail") {
            if (!value(i, options.sendmail)) return false;
        } else if (argument == "--to") {
            if (!value(i, options.recipients)) return false;
            haveRecipients = true;
        } else if (argument == "--computer") {
            if (!value(i, options.computerName)) return false;
        } else if (argument == "tick") {
            options.steps.push_back(argument);
        } else if (argument == "set") {
            std::string assignment;
            if (!value(i, assignment)) return false;
            options.steps.push_back("set " + assignment);
        } else {
            m_err << "kelvane-maildrill: unknown argument: " << argument << "\n"
                  << "usage: kelvane-maildrill [--board NAME] [--sendmail PATH] --to LIST [--computer NAME] "
                     "{tick | set NAME=VALUE}...\n";
            return false;
        }
    }
    if (!haveRecipients) {
        m_err << "kelvane-maildrill: --to is required\n";
        return false;
    }
    return true;
}

int CMailDrill::Run(const Options& options)
{
    const std::string& directory = options.programDirectory;
    ConsoleMessageBox messageBox(m_err);
    CPrivateProfile profile;

    CStartupFiles files(directory, options.boardName);
    if (!files.CheckFiles(profile, messageBox, [](int) {})) return kFailed;

    CRegistryKey registry(directory + "/registry.db", kHkeyLocalMachine);
    const std::string computer = options.computerName.empty() ? CComputerName::HostName() : options.computerName;
    if (!CComputerName::Record(registry, computer)) {
        m_err << "kelvane-maildrill: cannot record the computer name in " << directory << "/registry.db\n";
        return kFailed;
    }

    // Alert mails on, as the Display Setting dialog's OK stores them; then
    // the preferences as the main window reads them at start.
    CIniFile iniFile(files.IniPath(), profile);
    CUserPreferences stored;
    stored.LoadPreferences(iniFile);
    stored.m_bEMailEnable = true;
    stored.m_bErrorLog = true;
    stored.m_strEMailAddr = options.recipients;
    stored.SavePreferences(iniFile);
    CUserPreferences preferences;
    preferences.LoadPreferences(iniFile);

    CProgramRunner runner;
    CMapiMailer mailer(runner, {options.sendmail});
    CMapiMailTransport transport(mailer);
    ReportingMailer reporting(transport, m_out);
    CEmailLogon logon(reporting, messageBox);
    bool mailReady = false;
    if (!logon.InitEmail(preferences, mailReady)) {
        m_err << "kelvane-maildrill: the mail logon failed (" << options.sendmail << ")\n";
        return kFailed;
    }

    CDlLibraryLoader loader;
    CFileChipLock lock(directory + "/Dravik_SM_Event");
    CSteadyClock clock;
    CRecordingPowerOff powerOff;
    CHardwareMonitor engine(CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff, directory});
    engine.SetUseDefaultFiles(true);
    engine.SetUsePreferenceFile(false);
    engine.SetPaths(options.boardName);
    if (!engine.StartMonitoring()) {
        m_err << "kelvane-maildrill: the engine did not start on " << directory << "\n";
        return kFailed;
    }
    engine.UpdateAll();

    CSystemLocalTime localTime;
    CWarningMonitor monitor(profile, files.LogPath(), reporting, registry, localTime);
    int tick = 0;
    for (const std::string& step : options.steps) {
        if (step == "tick") {
            engine.UpdateAll();
            m_out << "tick " << ++tick << ": in alarm: " << AlarmNames(engine) << "\n";
            monitor.CheckWarnings(engine, preferences, mailReady);
            continue;
        }
        const std::string assignment = step.substr(4);
        const int status =
            runner.Run({directory + "/kelvane-simctl", "--dir", directory, "set", assignment}, std::string_view());
        m_out << "set " << assignment << (status == 0 ? "" : " (FAILED)") << "\n";
        if (status != 0) return kFailed;
    }

    if (powerOff.Requests() != 0) {
        m_err << "kelvane-maildrill: the engine asked for a power-off\n";
        return kFailed;
    }
    m_out << "mails handed over: " << reporting.Sent() << ", failed: " << reporting.Failed() << "\n";
    return reporting.Failed() == 0 ? kOk : kFailed;
}
