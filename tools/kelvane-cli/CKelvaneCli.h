// kelvane-cli: Kelvane's second front end, a headless reader for terminals
// and scripts. It starts the engine as the main window does, on the same
// program directory files, reads every item once (or every few seconds with
// --watch) and prints the readings.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/CAccessPathLoader.h"
#include "platform/CSystemLocalTime.h"
#include "tools/kelvane-cli/CCliOptions.h"
#include "tools/kelvane-cli/CliExitCode.h"

class CMonitorSession;
class CReadingFeeds;
class CStopSignals;

class CKelvaneCli {
public:
    static constexpr int kOk = CliExitCode::kOk;
    static constexpr int kOutputFailed = CliExitCode::kOutputFailed;
    static constexpr int kFailed = CliExitCode::kFailed;
    static constexpr int kReadFailed = CliExitCode::kReadFailed;

    // exePath: the running executable (/proc/self/exe); its directory is the
    // program directory unless --dir names another.
    // localTime: the clock of the watch's time stamps; null for the system's.
    CKelvaneCli(std::string exePath, std::ostream& out, std::ostream& err, const ILocalTime* localTime = nullptr);

    int Run(const std::vector<std::string>& arguments);

private:
    int Usage(const std::string& problem);
    int Monitor(const CCliOptions& options, const std::string& programDirectory);
    // access: the path's name for the JSON items; empty: none known.
    int ReadLoop(const CCliOptions& options, CMonitorSession& session, const CStopSignals& stop,
                 const std::string& access);
    // The chips, the ways to them and the claims on their ports.
    int ListChips(const CCliOptions& options, const std::string& programDirectory);
    // The path --access or Root.ini asks for; false (said on stderr) when
    // either names none.
    bool WantedAccess(const CCliOptions& options, const IPrivateProfile& profile, const std::string& programDirectory,
                      AccessPath& wanted);
    // The probes of this machine, or of the trees the options name.
    static CAccessPathLoader::ProbeFactory Probes(const CCliOptions& options, ILibraryLoader& portLoader);
    // The path on stderr, with what was passed over; false (with the reason)
    // when there is none.
    bool ReportChoice(const CAccessPathChooser::CChoice& choice);
    // The program directory without a trailing "/", or empty with a message
    // when --dir does not name a directory.
    bool ResolveProgramDirectory(const CCliOptions& options, std::string& directory);
    // The history file of this program directory; empty when there is none.
    std::string HistoryFile(const CCliOptions& options, const std::string& programDirectory) const;

    std::string m_exePath;
    std::ostream& m_out;
    std::ostream& m_err;
    CSystemLocalTime m_systemTime;
    const ILocalTime& m_localTime;
    // The history, textfile and endpoint of the run in progress.
    CReadingFeeds* m_feeds = nullptr;
};
