// kelvane-cli --history: the recorded history of a range of time as CSV or
// JSON, at the finest level the history still keeps for that range.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "tools/kelvane-cli/CCliOptions.h"

class CHistoryCommand {
public:
    // The length of a --history without --since, --from or --to.
    static constexpr int64_t kDefaultSinceMs = 24 * 3600 * 1000LL;

    CHistoryCommand(std::ostream& out, std::ostream& err);
    // An exit status of kelvane-cli.
    int Run(const CCliOptions& options, const std::string& historyFile, int64_t nowMs);

private:
    int Fail(const std::string& problem);

    std::ostream& m_out;
    std::ostream& m_err;
};
