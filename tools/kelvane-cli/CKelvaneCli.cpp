#include "tools/kelvane-cli/CKelvaneCli.h"

#include <cerrno>
#include <filesystem>

#include "app/CSystemInfo.h"
#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
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
#include "tools/kelvane-cli/CChipListing.h"
#include "tools/kelvane-cli/CProgramDirectoryLoader.h"
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

CKelvaneCli::CKelvaneCli(std::string exePath, std::ostream& out, std::ostream& err)
    : m_exePath(std::move(exePath)), m_out(out), m_err(err) {}

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

int CKelvaneCli::Monitor(const CCliOptions& options, const std::string& programDirectory) {
    // Installed before the engine is built, so that a stop at any moment
    // still ends through the engine's destructor.
    CStopSignals stop;

    CPrivateProfile profile;
    CProgramDirectoryLoader directoryLoader(programDirectory, options.directory.empty());
    CDlLibraryLoader portLoader(programDirectory);
    AccessPath wanted = AccessPath::kAuto;
    std::string problem;
    if (!CAccessPathChooser::WantedPath(options.access, profile, programDirectory + "/Root.ini", wanted, problem)) {
        m_err << "kelvane-cli: " << problem << std::endl;
        return kFailed;
    }
    CAccessPathLoader loader(directoryLoader, wanted, Probes(options, portLoader));
    // On stderr, so the readings on stdout stay a table or JSON lines.
    if (!ReportChoice(loader.Prepare(kWbcdflshLibraryName))) return kFailed;

    CFileChipLock lock(options.lockFile.empty() ? CFileChipLock::DefaultPath() : options.lockFile);
    CStderrMessageBox messageBox(m_err);
    CRegistryKey registry(programDirectory + "/registry.db", kHkeyLocalMachine);
    CSteadyClock clock;
    CReportingPowerOff powerOff(m_err);
    const std::string boardName = CSystemInfo("/").GetBoardName();

    CHardwareMonitor engine(
        CEngineSeams{loader, lock, messageBox, profile, registry, clock, powerOff, programDirectory});
    engine.SetUseDefaultFiles(true);
    engine.SetUsePreferenceFile(false);
    engine.SetPaths(boardName);
    if (!engine.StartMonitoring()) {
        m_err << "Initial value fail!" << std::endl;
        return kFailed;
    }
    // The library knows whether the driver lets this process drive the chip.
    if (const std::string owner = CAccessPathChooser::OwnerText(engine.ChipSetType()); !owner.empty())
        m_err << "kelvane-cli: " << owner << std::endl;
    engine.UpdateAll();
    return ReadLoop(options, engine, stop, loader.Choice().description.empty() ? "" : AccessPathName(loader.Choice().path));
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
    std::string problem;
    if (!CAccessPathChooser::WantedPath(options.access, profile, programDirectory + "/Root.ini", wanted, problem)) {
        m_err << "kelvane-cli: " << problem << std::endl;
        return kFailed;
    }
    CAccessPathLoader loader(directoryLoader, wanted, Probes(options, portLoader));
    const CChipListing listing = CChipListing::Gather(loader.Prepare(kWbcdflshLibraryName),
                                                      CHwmonScanner::RootFromEnvironment(),
                                                      options.procRoot.empty() ? "/proc" : options.procRoot);
    m_out << (options.json ? listing.Json() : listing.Text()) << std::flush;
    return m_out ? kOk : kOutputFailed;
}

int CKelvaneCli::ReadLoop(const CCliOptions& options, CHardwareMonitor& engine, const CStopSignals& stop,
                          const std::string& access) {
    for (long reading = 1;; ++reading) {
        const std::vector<CItemReading> readings = CReadingReport::Collect(engine, options.all, options.fahrenheit);
        // Tables of a watch are set apart by a blank line; JSON stays one
        // array per line.
        if (reading > 1 && !options.json) m_out << "\n";
        m_out << (options.json ? CReadingReport::Json(readings, access) : CReadingReport::Table(readings)) << std::flush;
        if (!m_out) {
            // A reader that went away (EPIPE) needs no message.
            if (errno != EPIPE) m_err << "kelvane-cli: the readings could not be written" << std::endl;
            return kOutputFailed;
        }
        if (!options.watchSeconds) break;
        if (options.count && reading >= *options.count) break;
        if (!stop.Wait(*options.watchSeconds)) break;
        engine.UpdateAll();
    }
    return kOk;
}
