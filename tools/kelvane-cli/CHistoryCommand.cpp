#include "tools/kelvane-cli/CHistoryCommand.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>

#include "history/CHistoryExport.h"
#include "history/CHistoryStore.h"
#include "history/CTimeText.h"
#include "tools/kelvane-cli/CliExitCode.h"

CHistoryCommand::CHistoryCommand(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

int CHistoryCommand::Fail(const std::string& problem) {
    m_err << "kelvane-cli: " << problem << std::endl;
    return CliExitCode::kFailed;
}

int CHistoryCommand::Run(const CCliOptions& options, const std::string& historyFile, int64_t nowMs) {
    int64_t from = nowMs - options.sinceMs.value_or(kDefaultSinceMs);
    int64_t to = nowMs;
    if (!options.from.empty() || !options.to.empty()) {
        const std::optional<int64_t> toTime = options.to.empty() ? nowMs : CTimeText::ParseTime(options.to, nowMs);
        if (!toTime) return Fail("--to: not a time: \"" + options.to + "\" (2026-12-09T14:30, with Z or +01:00 if not local)");
        std::optional<int64_t> fromTime = options.from.empty() ? *toTime - kDefaultSinceMs : CTimeText::ParseTime(options.from, nowMs);
        if (!fromTime) return Fail("--from: not a time: \"" + options.from + "\" (2026-12-09T14:30, with Z or +01:00 if not local)");
        from = *fromTime;
        to = *toTime;
    }
    if (from >= to) return Fail("--from must come before --to");

    CHistoryStore store;
    std::string error;
    if (store.Open(historyFile, CHistoryStore::Mode::kRead, error) != CHistoryStore::Failure::kNone)
        return Fail("no history to read in " + historyFile + " (" + error + ")");
    const std::vector<CHistoryStore::SItem> known = store.Items();
    std::vector<CHistoryStore::SItem> chosen;
    for (const std::string& word : options.items) {
        bool found = false;
        for (const CHistoryStore::SItem& item : known) {
            if (strcasecmp(item.item.c_str(), word.c_str()) != 0 && item.name != word) continue;
            found = true;
            const bool already = std::any_of(chosen.begin(), chosen.end(), [&](const auto& c) { return c.id == item.id; });
            if (!already) chosen.push_back(item);
        }
        if (!found) {
            std::string names;
            for (const CHistoryStore::SItem& item : known) names += (names.empty() ? "" : ", ") + item.item + " (" + item.name + ")";
            return Fail("no item \"" + word + "\" in the history; it has " + (names.empty() ? "none" : names));
        }
    }
    if (options.items.empty()) chosen = known;

    // As many points as readings: the finest level kept for the range.
    const int64_t readings = std::clamp<int64_t>((to - from) / 2500, 1, 1 << 30);
    std::vector<CHistoryStore::SSeries> series;
    for (const CHistoryStore::SItem& item : chosen) series.push_back(store.Read(item, from, to, nowMs, static_cast<int>(readings)));
    if (options.json) {
        // The events of the chosen items, and those of their chips as a whole.
        std::vector<CHistoryStore::SEvent> events;
        for (CHistoryStore::SEvent& event : store.Events(from, to)) {
            const bool ofChosen = std::any_of(chosen.begin(), chosen.end(), [&](const CHistoryStore::SItem& item) {
                return item.chip == event.chip && (event.item.empty() || item.item == event.item);
            });
            if (ofChosen) events.push_back(std::move(event));
        }
        m_out << CHistoryExport::Json(series, events, from, to, options.fahrenheit);
    } else {
        m_out << CHistoryExport::Csv(series, options.fahrenheit);
    }
    m_out << std::flush;
    if (!m_out) {
        if (errno != EPIPE) m_err << "kelvane-cli: the history could not be written" << std::endl;
        return CliExitCode::kOutputFailed;
    }
    return CliExitCode::kOk;
}
