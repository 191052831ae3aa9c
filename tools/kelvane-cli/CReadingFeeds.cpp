#include "tools/kelvane-cli/CReadingFeeds.h"

#include <chrono>
#include <filesystem>

#include "history/CHistoryLocation.h"
#include "history/CHistoryWriter.h"
#include "metrics/CMetricsExposition.h"
#include "tools/kelvane-cli/CMetricsServer.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "0"
#endif

namespace {

int64_t WallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CReadingFeeds::CReadingFeeds(const CCliOptions& options, std::string historyFile, std::ostream& err)
    : m_options(options), m_historyFile(std::move(historyFile)), m_err(err) {}

CReadingFeeds::~CReadingFeeds() = default;

bool CReadingFeeds::Start() {
    if (!m_options.textfileDirectory.empty()) {
        std::error_code ec;
        std::string error;
        if (!std::filesystem::is_directory(m_options.textfileDirectory, ec) ||
            !CMetricsExposition::WriteTextfile(m_options.textfileDirectory, "", error)) {
            m_err << "kelvane-cli: --textfile: " << m_options.textfileDirectory << " is not a directory this user can write in"
                  << std::endl;
            return false;
        }
    }
    if (m_options.listen) {
        m_server = std::make_unique<CMetricsServer>();
        std::string error;
        if (!m_server->Start(m_options.listenAddress, m_options.listenPort, error)) {
            m_err << "kelvane-cli: --listen: " << error << std::endl;
            return false;
        }
        m_err << "kelvane-cli: serving http://" << (m_options.listenAddress.find(':') != std::string::npos ? "[" + m_options.listenAddress + "]" : m_options.listenAddress)
              << ":" << m_server->Port() << "/metrics" << std::endl;
    }
    if (m_options.watchSeconds && !m_historyFile.empty() && CHistoryLocation::PrepareDirectory(m_historyFile)) {
        m_history = std::make_unique<CHistoryWriter>(
            m_historyFile, [this](const std::string& message) { m_err << "kelvane-cli: " << message << std::endl; });
    }
    return true;
}

void CReadingFeeds::Publish(const CReadingSnapshot& readings) {
    CReadingSnapshot snapshot = readings;
    snapshot.timeMs = WallClockMs();
    snapshot.access = m_access;
    if (m_history) m_history->Record(snapshot);
    if (!m_options.prometheus) return;
    m_exposition = CMetricsExposition::Text(snapshot, KELVANE_VERSION);
    if (m_server) m_server->Publish(m_exposition);
    if (!m_options.textfileDirectory.empty()) {
        std::string error;
        const bool written = CMetricsExposition::WriteTextfile(m_options.textfileDirectory, m_exposition, error);
        // One message when the writes start failing, none while they go on failing.
        if (!written && !m_textfileFailing) m_err << "kelvane-cli: " << error << std::endl;
        m_textfileFailing = !written;
    }
}
