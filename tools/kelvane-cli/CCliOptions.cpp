#include "tools/kelvane-cli/CCliOptions.h"

#include <charconv>
#include <cmath>

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

}  // namespace

const char* CCliOptions::UsageLine() {
    return "Usage: kelvane-cli [--json] [--all] [--fahrenheit] [--watch SECONDS [--count N]] [--dir DIR] [--lock FILE] "
           "[--access PATH] [--sysfs-root DIR] [--proc-root DIR] | --list-chips [--json] | --help | --version";
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
                                word == "--access" || word == "--sysfs-root" || word == "--proc-root";
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
    return result;
}
