#include "tools/kelvane-cli/CKelvaneCli.h"

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "app/CMonitorSession.h"
#include "app/CSystemInfo.h"
#include "engine/CEngineSeams.h"
#include "platform/CFileChipLock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRegistryKey.h"
#include "platform/CAccessPathLoader.h"
#include "platform/CSteadyClock.h"
#include "platform/CSystemAccessProbes.h"
#include <cstdlib>

#include "accesslib/Wbcdflsh.h"
#include "accesslib/hwmon/CHwmonScanner.h"
#include "platform/CInstalledLayout.h"
#include "history/CHistoryLocation.h"
#include "tools/kelvane-cli/CHistoryCommand.h"
#include "tools/kelvane-cli/CNoMailer.h"
#include "tools/kelvane-cli/CChipListing.h"
#include "tools/kelvane-cli/CCliReadingLog.h"
#include "tools/kelvane-cli/CProgramDirectoryLoader.h"
#include "tools/kelvane-cli/CReadingFeeds.h"
#include "tools/kelvane-cli/CReadingReport.h"
#include "tools/kelvane-cli/CReportingPowerOff.h"
#include "tools/kelvane-cli/CStderrMessageBox.h"
#include "tools/kelvane-cli/CStopSignals.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "0"
#endif

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

CKelvaneCli::CKelvaneCli(std::string exePath, std::ostream& out, std::ostream& err, const ILocalTime* localTime)
    : m_exePath(std::move(exePath)), m_out(out), m_err(err), m_localTime(localTime ? *localTime : m_systemTime) {}

int CKelvaneCli::Run(const std::vector<std::string>& arguments) {
    const CCliOptions::Parsed parsed = CCliOptions::Parse(arguments);
    if (!parsed.ok()) return Usage(parsed.error);
    const CCliOptions& options = parsed.options;
    if (options.help) {
        m_out << CCliOptions::HelpText() << std::flush;
        return m_out ? kOk : kOutputFailed;
    }
    if (options.version) {
        m_out << "kelvane-cli " KELVANE_VERSION "\n" << std::flush;
        return m_out ? kOk : kOutputFailed;
    }
    std::string directory;
    if (!ResolveProgramDirectory(options, directory)) return kFailed;
    if (options.history) {
        const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch()).count();
        return CHistoryCommand(m_out, m_err).Run(options, HistoryFile(options, directory), now);
    }
    // The hwmon build reads the sysfs root from the environment, so it is
    // set before any build is opened.
    if (!options.sysfsRoot.empty()) ::setenv(kSysfsRootVariable, options.sysfsRoot.c_str(), 1);
    if (options.listChips) return ListChips(options, directory);
    return Monitor(options, directory);
}

int CKelvaneCli::Usage(const std::string& problem) {
    m_err << "kelvane-cli: " << problem << "\n" << CCliOptions::UsageLine() << std::endl;
    return kFailed;
}

bool CKelvaneCli::ResolveProgramDirectory(const CCliOptions& options, std::string& directory) {
    if (options.directory.empty()) {
        std::string error;
        directory = CInstalledLayout::ProgramDirectory(
            WithoutTrailingSlash(fs::path(m_exePath).parent_path().string()), std::getenv, error);
        if (directory.empty() && !error.empty()) {
            m_err << "kelvane-cli: " << error << std::endl;
            return false;
        }
        return true;
    }
    std::error_code ec;
    if (!fs::is_directory(options.directory, ec)) {
        m_err << "kelvane-cli: no such directory: " << options.directory << std::endl;
        return false;
    }
    // Absolute, so that every file the engine builds a path for is the same
    // whatever the working directory.
    directory = WithoutTrailingSlash(fs::absolute(options.directory, ec).lexically_normal().string());
    return !ec;
}

std::string CKelvaneCli::HistoryFile(const CCliOptions& options, const std::string& programDirectory) const {
    const bool installed = options.directory.empty() &&
                           !CInstalledLayout::DataDirectory(WithoutTrailingSlash(fs::path(m_exePath).parent_path().string())).empty();
    return CHistoryLocation::File(installed, programDirectory, std::getenv);
}

int CKelvaneCli::Monitor(const CCliOptions& options, const std::string& programDirectory) {
    // Installed before the engine is built, so that a stop at any moment
    // still ends through the engine's destructor.
    CStopSignals stop;

    CPrivateProfile profile;
    CProgramDirectoryLoader directoryLoader(programDirectory, options.directory.empty());
    CDlLibraryLoader portLoader(programDirectory);
    AccessPath wanted = AccessPath::kAuto;
    if (!WantedAccess(options, profile, programDirectory, wanted)) return kFailed;
    CAccessPathLoader loader(directoryLoader, wanted, Probes(options, portLoader));
    // On stderr, so the readings on stdout stay a table or JSON lines.
    if (!ReportChoice(loader.Prepare(kWbcdflshLibraryName))) return kFailed;

    CFileChipLock lock(options.lockFile.empty() ? CFileChipLock::DefaultPath() : options.lockFile);
    CStderrMessageBox messageBox(m_err);
    CRegistryKey registry(programDirectory + "/registry.db", kHkeyLocalMachine);
    CSteadyClock clock;
    CReportingPowerOff powerOff(m_err);
    const std::string boardName = CSystemInfo("/").GetBoardName();
    // The textfile directory and the endpoint are checked before the chip is touched.
    CReadingFeeds feeds(options, HistoryFile(options, programDirectory), m_err);
    if (!feeds.Start()) return kFailed;

    CCliReadingLog readingLog(m_err);
    CNoMailer mailer;
    const std::string access = loader.Choice().description.empty() ? "" : AccessPathName(loader.Choice().path);
    // The window's session, driven on this thread. No warning log and no
    // mail: those are the window's.
    CMonitorSession session(CMonitorSessionSeams{
        CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff, programDirectory}, mailer,
        m_localTime, boardName, std::string(), access});
    session.SetReadingListener(&readingLog);
    session.SetSettings(CUserPreferences(), false);
    if (!session.Start()) {
        m_err << "Initial value fail!" << std::endl;
        return kFailed;
    }
    // The library knows whether the driver lets this process drive the chip.
    if (const std::string owner = CAccessPathChooser::OwnerText(session.Engine().ChipSetType()); !owner.empty())
        m_err << "kelvane-cli: " << owner << std::endl;
    feeds.SetAccessLabel(access.empty() ? "library" : access);
    m_feeds = &feeds;
    const int status = ReadLoop(options, session, stop, access);
    m_feeds = nullptr;
    // A reading that failed is no reading: a script must not take the run
    // for a good one.
    if (status == kOk && readingLog.AnyReadingFailed()) return kReadFailed;
    return status;
}

bool CKelvaneCli::WantedAccess(const CCliOptions& options, const IPrivateProfile& profile,
                               const std::string& programDirectory, AccessPath& wanted) {
    std::string problem;
    if (CAccessPathChooser::WantedPath(options.access, profile, programDirectory + "/Root.ini", wanted, problem))
        return true;
    m_err << "kelvane-cli: " << problem << std::endl;
    return false;
}

CAccessPathLoader::ProbeFactory CKelvaneCli::Probes(const CCliOptions& options, ILibraryLoader& portLoader) {
    const std::string sysfsRoot = CHwmonScanner::RootFromEnvironment();
    const std::string procRoot = options.procRoot.empty() ? "/proc" : options.procRoot;
    return [sysfsRoot, procRoot, &portLoader](const std::string& libraryDirectory) -> std::unique_ptr<IAccessProbes> {
        return std::make_unique<CSystemAccessProbes>(libraryDirectory, sysfsRoot, procRoot, portLoader);
    };
}

bool CKelvaneCli::ReportChoice(const CAccessPathChooser::CChoice& choice) {
    for (const std::string& note : choice.notes) m_err << "kelvane-cli: " << note << "\n";
    if (!choice.ok) {
        m_err << "kelvane-cli: no way to the chip: " << choice.problem << std::endl;
        return false;
    }
    if (!choice.description.empty()) m_err << "kelvane-cli: chip access: " << choice.description << "\n";
    m_err << std::flush;
    return true;
}

int CKelvaneCli::ListChips(const CCliOptions& options, const std::string& programDirectory) {
    CPrivateProfile profile;
    CProgramDirectoryLoader directoryLoader(programDirectory, options.directory.empty());
    CDlLibraryLoader portLoader(programDirectory);
    AccessPath wanted = AccessPath::kAuto;
    if (!WantedAccess(options, profile, programDirectory, wanted)) return kFailed;
    CAccessPathLoader loader(directoryLoader, wanted, Probes(options, portLoader));
    const CChipListing listing = CChipListing::Gather(loader.Prepare(kWbcdflshLibraryName),
                                                      CHwmonScanner::RootFromEnvironment(),
                                                      options.procRoot.empty() ? "/proc" : options.procRoot);
    m_out << (options.json ? listing.Json() : listing.Text()) << std::flush;
    return m_out ? kOk : kOutputFailed;
}

int CKelvaneCli::ReadLoop(const CCliOptions& options, CMonitorSession& session, const CStopSignals& stop,
                          const std::string& access) {
    // Start read every item; each later reading is one tick of the session.
    CMonitorSession::Snapshot snapshot = session.TakeLatest();
    for (long reading = 1;; ++reading) {
        const std::vector<CItemReading> readings =
            CReadingReport::Collect(*snapshot, session.Engine(), options.all, options.fahrenheit);
        if (m_feeds) m_feeds->Publish(snapshot->readings);
        // Tables of a watch are set apart by a blank line; JSON stays one
        // array per line.
        if (reading > 1 && !options.json && !options.prometheus) m_out << "\n";
        // Each table of a watch says when it was read.
        if (options.watchSeconds && !options.json && !options.prometheus && options.textfileDirectory.empty() &&
            !options.listen)
            m_out << CReadingReport::TimeStamp(m_localTime.Now()) << "\n";
        // The textfile and the endpoint take the exposition instead of stdout.
        const bool quiet = !options.textfileDirectory.empty() || options.listen;
        if (!quiet)
            m_out << (options.prometheus ? m_feeds->Exposition()
                      : options.json     ? CReadingReport::Json(readings, access)
                                         : CReadingReport::Table(readings))
                  << std::flush;
        if (!m_out) {
            // A reader that went away (EPIPE) needs no message.
            if (errno != EPIPE) m_err << "kelvane-cli: the readings could not be written" << std::endl;
            return kOutputFailed;
        }
        if (!options.watchSeconds) break;
        if (options.count && reading >= *options.count) break;
        if (!stop.Wait(*options.watchSeconds)) break;
        session.Tick();
        snapshot = session.TakeLatest();
    }
    return kOk;
}
