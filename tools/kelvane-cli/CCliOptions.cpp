#include "tools/kelvane-cli/CCliOptions.h"

#include <arpa/inet.h>

#include <charconv>
#include <cmath>

#include "history/CTimeText.h"

namespace {

// The whole word as a number, with "." as the decimal point whatever the
// locale; from_chars never consults it.
std::optional<double> ParseSeconds(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long> ParseCount(const std::string& text) {
    long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// "ADDRESS:PORT", "[IPv6]:PORT" or "PORT" alone (on the loopback
// address). The address is numeric: a name could resolve to anything.
bool ParseListen(const std::string& text, std::string& address, int& port) {
    std::string portText = text;
    address = "127.0.0.1";
    if (text.starts_with("[")) {
        const std::size_t close = text.find("]:");
        if (close == std::string::npos) return false;
        address = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
        address = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    unsigned char bytes[16];
    const bool numeric = ::inet_pton(AF_INET, address.c_str(), bytes) == 1 ||
                         (text.starts_with("[") && ::inet_pton(AF_INET6, address.c_str(), bytes) == 1);
    const std::optional<long> number = ParseCount(portText);
    if (!numeric || !number || *number < 0 || *number > 65535) return false;
    port = static_cast<int>(*number);
    return true;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) words.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return words;
}

}  // namespace

const char* CCliOptions::UsageLine() {
    return "Usage: kelvane-cli [--json] [--all] [--fahrenheit] [--watch SECONDS [--count N]] [--dir DIR] [--lock FILE] "
           "[--access PATH] [--sysfs-root DIR] [--proc-root DIR] | --list-chips [--json] "
           "| --prometheus [--textfile DIR] [--listen [ADDRESS:]PORT] ... "
           "| --history [--since 24h | --from T [--to T]] [--items LIST] [--csv | --json] | --help | --version";
}

const char* CCliOptions::HelpText() {
    return "Usage: kelvane-cli [OPTION]...\n"
           "Reads the hardware-monitor chip through Kelvane's engine and prints every\n"
           "enabled sensor item with its value, limits and alarm state.\n"
           "\n"
           "  --json             one JSON array per reading, one object per item\n"
           "  --all              list disabled items too\n"
           "  --watch SECONDS    read again every SECONDS seconds until Ctrl-C\n"
           "  --count N          with --watch: stop after N readings\n"
           "  --fahrenheit       temperatures in degrees Fahrenheit\n"
           "  --dir DIR          use DIR as the program directory (chip descriptors,\n"
           "                     board defaults, registry.db and libWbcdflsh.so);\n"
           "                     default: the directory of this program\n"
           "  --lock FILE        take the chip lock on FILE instead of the lock every\n"
           "                     Kelvane program on this machine shares (for tests)\n"
           "  --access PATH      reach the chip by PATH: service (kelvane-chipd), hwmon\n"
           "                     (the kernel driver's files), ports (port I/O, root\n"
           "                     only) or simulator; default: Root.ini's [Chip] Access,\n"
           "                     else auto (the first of these that finds the chip)\n"
           "  --list-chips       list the hardware-monitor chips, the ways to them and\n"
           "                     what claims their ports, for a bug report (with --json\n"
           "                     as one JSON object)\n"
           "  --sysfs-root DIR   read sysfs from DIR instead of /sys\n"
           "  --proc-root DIR    read /proc/ioports from DIR instead of /proc\n"
           "  --prometheus       the readings in the Prometheus text format\n"
           "  --textfile DIR     with --prometheus: write DIR/kelvane.prom at every\n"
           "                     reading, whole (for node_exporter's textfile collector)\n"
           "  --listen [ADDRESS:]PORT\n"
           "                     with --prometheus: serve GET /metrics on ADDRESS\n"
           "                     (default 127.0.0.1), reading every 2.5 s unless\n"
           "                     --watch says otherwise\n"
           "  --history          print the recorded history instead of a reading\n"
           "  --since LENGTH     with --history: the last LENGTH (90s, 15m, 24h, 7d, 2w);\n"
           "                     default 24h\n"
           "  --from T, --to T   with --history: from and to a time, as 2026-12-09,\n"
           "                     2026-12-09T14:30 (local time) or with Z or +01:00\n"
           "  --items LIST       with --history: only these items, by key (TEMP1) or\n"
           "                     name, separated by commas\n"
           "  --csv              with --history: CSV (the default); --json gives JSON\n"
           "  --help             show this help\n"
           "  --version          show the version\n"
           "\n"
           "Voltages are shown in V, temperatures in C (or F), fans in RPM; a fan's\n"
           "low limit is shown as the speed it stands for. Like the Kelvane window,\n"
           "kelvane-cli writes the items' limits and beep bits into the chip when it\n"
           "starts and puts the chip's control registers back when it ends.\n"
           "\n"
           "The chip is reached, in this order, through the chip service kelvane-chipd\n"
           "when it answers; beside a bound kernel driver of a supported chip; by port\n"
           "I/O as root when nothing else claims the ports and a chip answers there;\n"
           "and only when none of these finds a chip, through the chip simulator\n"
           "(\"SIMULATED\"). A service that is set up but does not answer never leads to\n"
           "simulated readings: the next real way is used, or kelvane-cli stops. The\n"
           "line \"chip access:\" on stderr and the field \"access\" of every JSON item\n"
           "say which way is in use.\n"
           "\n"
           "kelvane-cli is a reader: it never powers the machine off. When an item has\n"
           "been out of range for its shutdown time it only says so on stderr.\n"
           "\n"
           "Every reading of a --watch is recorded in the history (history.db beside\n"
           "the program, or in $XDG_STATE_HOME/kelvane for an installed Kelvane),\n"
           "unless another Kelvane program already records this chip.\n"
           "\n"
           "Exit status: 0 done; 1 the output could not be written; 2 bad options, no\n"
           "way to the chip (the reason on stderr), or the engine did not start\n"
           "(\"Initial value fail!\").\n";
}

CCliOptions::Parsed CCliOptions::Parse(const std::vector<std::string>& arguments) {
    Parsed result;
    CCliOptions& options = result.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        std::optional<std::string> attached;
        if (word.starts_with("--")) {
            const std::size_t equals = word.find('=');
            if (equals != std::string::npos) {
                attached = word.substr(equals + 1);
                word.resize(equals);
            }
        }
        const bool takesValue = word == "--watch" || word == "--count" || word == "--dir" || word == "--lock" ||
                                word == "--textfile" || word == "--listen" || word == "--since" || word == "--from" ||
                                word == "--to" || word == "--items" || word == "--access" || word == "--sysfs-root" ||
                                word == "--proc-root";
        if (attached && !takesValue) {
            result.error = "option " + word + " takes no value";
            return result;
        }
        std::string value;
        if (takesValue) {
            if (attached) {
                value = *attached;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                result.error = "option " + word + " needs a value";
                return result;
            }
        }

        if (word == "--json") {
            options.json = true;
        } else if (word == "--all") {
            options.all = true;
        } else if (word == "--fahrenheit") {
            options.fahrenheit = true;
        } else if (word == "--help") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if (word == "--watch") {
            const std::optional<double> seconds = ParseSeconds(value);
            if (!seconds || *seconds <= 0.0 || *seconds > kMaxWatchSeconds) {
                result.error = "--watch needs a number of seconds above 0 and at most 86400, not \"" + value + "\"";
                return result;
            }
            options.watchSeconds = seconds;
        } else if (word == "--count") {
            const std::optional<long> count = ParseCount(value);
            if (!count || *count < 1) {
                result.error = "--count needs a whole number above 0, not \"" + value + "\"";
                return result;
            }
            options.count = count;
        } else if (word == "--dir") {
            if (value.empty()) {
                result.error = "--dir needs a directory";
                return result;
            }
            options.directory = value;
        } else if (word == "--lock") {
            if (value.empty()) {
                result.error = "--lock needs a file";
                return result;
            }
            options.lockFile = value;
        } else if (word == "--prometheus") {
            options.prometheus = true;
        } else if (word == "--textfile") {
            if (value.empty()) {
                result.error = "--textfile needs a directory";
                return result;
            }
            options.textfileDirectory = value;
            options.prometheus = true;
        } else if (word == "--listen") {
            if (!ParseListen(value, options.listenAddress, options.listenPort)) {
                result.error = "--listen needs [ADDRESS:]PORT with a numeric address and a port 0-65535 (0: any free one), not \"" + value + "\"";
                return result;
            }
            options.listen = true;
            options.prometheus = true;
        } else if (word == "--history") {
            options.history = true;
        } else if (word == "--csv") {
            options.csv = true;
        } else if (word == "--since") {
            options.sinceMs = CTimeText::ParseDuration(value);
            if (!options.sinceMs) {
                result.error = "--since needs a length such as 90s, 15m, 24h, 7d or 2w, not \"" + value + "\"";
                return result;
            }
        } else if (word == "--from" || word == "--to") {
            // Checked when the history is read: a local time needs the clock.
            if (value.empty()) {
                result.error = "option " + word + " needs a time";
                return result;
            }
            (word == "--from" ? options.from : options.to) = value;
        } else if (word == "--items") {
            options.items = SplitList(value);
            if (options.items.empty()) {
                result.error = "--items needs a list of items";
                return result;
            }
        } else if (word == "--access") {
            const std::optional<AccessPath> path = ParseAccessPath(value);
            if (!path) {
                result.error = "--access needs one of " + std::string(kAccessPathWords) + ", not \"" + value + "\"";
                return result;
            }
            options.access = path;
        } else if (word == "--sysfs-root" || word == "--proc-root") {
            if (value.empty()) {
                result.error = word + " needs a directory";
                return result;
            }
            (word == "--sysfs-root" ? options.sysfsRoot : options.procRoot) = value;
        } else if (word == "--list-chips") {
            options.listChips = true;
        } else if (word.starts_with("-")) {
            result.error = "unknown option " + word;
            return result;
        } else {
            result.error = "unexpected argument \"" + word + "\"";
            return result;
        }
    }
    if (options.listChips && (options.watchSeconds || options.all || options.fahrenheit)) {
        result.error = "--list-chips takes no --watch, --all or --fahrenheit";
        return result;
    }
    if (options.count && !options.watchSeconds) {
        result.error = "--count needs --watch";
        return result;
    }
    const bool historyOptions = options.csv || options.sinceMs || !options.from.empty() || !options.to.empty() ||
                                !options.items.empty();
    if (historyOptions && !options.history) {
        result.error = "--csv, --since, --from, --to and --items need --history";
        return result;
    }
    if (options.history && (options.prometheus || options.watchSeconds || options.all)) {
        result.error = "--history reads the recorded history: no --watch, --all or --prometheus with it";
        return result;
    }
    if (options.history && options.csv && options.json) {
        result.error = "--csv or --json, not both";
        return result;
    }
    if (options.sinceMs && (!options.from.empty() || !options.to.empty())) {
        result.error = "--since or --from/--to, not both";
        return result;
    }
    if (options.prometheus && options.json) {
        result.error = "--prometheus or --json, not both";
        return result;
    }
    if (options.listen && !options.watchSeconds) options.watchSeconds = kListenSeconds;
    return result;
}
