// Where kelvane-cli's readings go besides its output: the history (on a
// --watch), the textfile and the HTTP endpoint of --prometheus. The
// reading loop hands each reading over once, as one snapshot.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "history/CReadingSnapshot.h"
#include "tools/kelvane-cli/CCliOptions.h"

class CHistoryWriter;
class CMetricsServer;

class CReadingFeeds {
public:
    // historyFile: empty for no history.
    CReadingFeeds(const CCliOptions& options, std::string historyFile, std::ostream& err);
    ~CReadingFeeds();
    CReadingFeeds(const CReadingFeeds&) = delete;
    CReadingFeeds& operator=(const CReadingFeeds&) = delete;

    // Before the engine starts: the textfile directory is writable and the
    // endpoint listens. False with a message on err.
    bool Start();
    // How the chip is reached, as the chip-access line says it.
    void SetAccess(const std::string& access) { m_access = CReadingSnapshot::AccessLabel(access); }
    // The way to the chip by its name ("service", "hwmon", "ports", "simulator").
    void SetAccessLabel(std::string label) { m_access = std::move(label); }
    // After every reading: the readings of the session's snapshot, which
    // take the time of now and this feed's way to the chip.
    void Publish(const CReadingSnapshot& readings);
    // The exposition of the last reading published.
    const std::string& Exposition() const { return m_exposition; }

private:
    const CCliOptions& m_options;
    std::string m_historyFile;
    std::string m_access;
    std::ostream& m_err;
    std::unique_ptr<CHistoryWriter> m_history;
    std::unique_ptr<CMetricsServer> m_server;
    std::string m_exposition;
    bool m_textfileFailing = false;
};
