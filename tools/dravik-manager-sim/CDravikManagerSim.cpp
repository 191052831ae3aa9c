#include "CDravikManagerSim.h"

#include "platform/CRegistryKey.h"
#include "windows/CProgramDirectory.h"
#include "windows/CSuiteEndpoint.h"
#include "windows/CSuiteLink.h"
#include "windows/CSuiteTransport.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

volatile sig_atomic_t g_stopRequested = 0;

void OnStopSignal(int)
{
    g_stopRequested = 1;
}

std::optional<long> ParseInteger(const std::string& text)
{
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::vector<int>> ParseCodes(const std::string& text)
{
    std::vector<int> codes;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        const auto code = ParseInteger(text.substr(start, comma - start));
        // Three mask bytes carry codes 0 to 23.
        if (!code || *code < 0 || *code > 23)
            return std::nullopt;
        codes.push_back(static_cast<int>(*code));
        start = comma + 1;
    }
    return codes;
}

int FromBcd(std::uint8_t b)
{
    return (b >> 4) * 10 + (b & 0x0F);
}

std::string ReadSelfExecutable()
{
    std::string target(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
        return {};
    target.resize(static_cast<std::size_t>(length));
    return target;
}

std::vector<std::string> KelvaneEndpoints()
{
    std::ifstream in("/proc/net/unix", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> found;
    for (const std::string& name : CSuiteTransport::ParseUnixSocketTable(text.str()))
        if (CSuiteEndpoint::ClassOf(name) == std::string(CSuiteTransport::kOwnClass))
            found.push_back(name);
    return found;
}

}  // namespace

const char* CDravikManagerSim::UsageLine()
{
    return "usage: dravik-manager-sim [--hive PATH] [--class NAME] [--no-id] [--no-path]"
           " [--select CODES [--to PID]] [--count N] [--seconds S] [--help]\n";
}

std::string CDravikManagerSim::Usage()
{
    return std::string(UsageLine()) +
           "A stand-in for Dravik Manager: listens as its window, publishes its registry values\n"
           "and prints every packet Kelvane sends it.\n"
           "  --hive PATH     registry hive to publish \"ID\" and \"Path\" in (default: registry.db\n"
           "                  beside this program)\n"
           "  --class NAME    window class to listen as (default \"Dravik Manager\")\n"
           "  --no-id         do not write the \"ID\" value\n"
           "  --no-path       do not write the \"Path\" value\n"
           "  --select CODES  send Kelvane the choice of readings, e.g. 11,19 (codes 0-23)\n"
           "  --to PID        send the choice to \"@Kelvane:PID\" only (default: every Kelvane)\n"
           "  --count N       stop after N packets received\n"
           "  --seconds S     stop after S seconds\n"
           "  --help          show this text\n";
}

std::optional<DravikManagerSimOptions> CDravikManagerSim::ParseOptions(std::span<const std::string> arguments,
                                                                        std::string& error)
{
    DravikManagerSimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> const std::string* {
            if (i + 1 >= arguments.size()) {
                error = option + " needs a value";
                return nullptr;
            }
            return &arguments[++i];
        };
        if (option == "--help") {
            options.help = true;
        } else if (option == "--no-id") {
            options.writeId = false;
        } else if (option == "--no-path") {
            options.writePath = false;
        } else if (option == "--hive") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            options.hivePath = *v;
        } else if (option == "--class") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            if (v->empty() || v->find(':') != std::string::npos) {
                error = "--class must be a non-empty name without \":\"";
                return std::nullopt;
            }
            options.windowClass = *v;
        } else if (option == "--select") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            options.select = ParseCodes(*v);
            if (!options.select) {
                error = "--select takes item codes 0-23 separated by commas";
                return std::nullopt;
            }
        } else if (option == "--to") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            options.toPid = ParseInteger(*v);
            if (!options.toPid || *options.toPid <= 0) {
                error = "--to takes a process id";
                return std::nullopt;
            }
        } else if (option == "--count") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            options.count = ParseInteger(*v);
            if (!options.count || *options.count < 0) {
                error = "--count takes a number of packets";
                return std::nullopt;
            }
        } else if (option == "--seconds") {
            const std::string* v = value();
            if (!v)
                return std::nullopt;
            std::size_t used = 0;
            double seconds = -1;
            try {
                seconds = std::stod(*v, &used);
            } catch (...) {
                used = 0;
            }
            if (used != v->size() || !std::isfinite(seconds) || seconds < 0) {
                error = "--seconds takes a time in seconds";
                return std::nullopt;
            }
            options.seconds = seconds;
        } else {
            error = "unknown option " + option;
            return std::nullopt;
        }
    }
    if (options.toPid && !options.select) {
        error = "--to needs --select";
        return std::nullopt;
    }
    return options;
}

std::vector<std::uint8_t> CDravikManagerSim::SelectionPacket(std::span<const int> codes)
{
    std::uint8_t masks[3] = {0, 0, 0};
    for (int code : codes)
        masks[code / 8] = static_cast<std::uint8_t>(masks[code / 8] | (1u << (code % 8)));
    const std::uint8_t sum = static_cast<std::uint8_t>(1 + 3 + masks[0] + masks[1] + masks[2]);
    return {CSuitePacket::kSuiteStart, 1, 3, masks[0], masks[1], masks[2], sum, CSuitePacket::kSuiteEnd};
}

std::string CDravikManagerSim::Describe(std::span<const std::uint8_t> datagram)
{
    const auto packet = CSuiteLink::ParsePacket(datagram);
    if (!packet)
        return "rejected datagram of " + std::to_string(datagram.size()) + " bytes";
    std::ostringstream line;
    if (packet->Type() != CSuiteLink::kReadingType || packet->Count() != 4) {
        line << "packet type " << int(packet->Type()) << " with " << int(packet->Count()) << " data bytes";
        return line.str();
    }
    if (packet->ChecksumByte() != CSuiteLink::Checksum(*packet))
        line << "(bad checksum) ";
    const int code = packet->Data(0);
    const int low = FromBcd(packet->Data(1));
    const int alarm = packet->Data(3);
    line << "code " << code << " ";
    switch (code) {
    case CSuiteLink::kCpuFan:
    case CSuiteLink::kSystemFan:
        // The hundreds byte may carry a high nibble above 9 (10000 RPM and
        // more); it is read back the way it was built.
        line << (code == CSuiteLink::kCpuFan ? "CPU FAN " : "SYSTEM FAN ")
             << FromBcd(packet->Data(2)) * 100 + low << " RPM alarm " << alarm;
        break;
    case CSuiteLink::kSystemTemperature:
    case CSuiteLink::kCpuTemperature:
        line << (code == CSuiteLink::kCpuTemperature ? "CPU Temperature " : "SYSTEM Temperature ")
             << (packet->Data(2) & 0x0F) * 100 + low << ((packet->Data(2) & 0x10) ? " F" : " C") << " alarm "
             << alarm;
        break;
    case CSuiteLink::kCpuFrequency:
        line << "CPU Frequency " << FromBcd(packet->Data(2)) * 100 + low << " MHz";
        break;
    default:
        line << "unknown reading";
        break;
    }
    return line.str();
}

int CDravikManagerSim::Run(std::ostream& out, std::ostream& err)
{
    const std::string hive = m_options.hivePath.empty()
                                 ? CProgramDirectory::GetProgramDirectory() + "/registry.db"
                                 : m_options.hivePath;
    CRegistryKey registry(hive, kHkeyLocalMachine);
    if (!registry.IsOpen()) {
        err << "dravik-manager-sim: cannot open the registry hive " << hive << "\n";
        return 1;
    }
    CSuiteEndpoint endpoint;
    if (!endpoint.Bind(CSuiteEndpoint::NameFor(m_options.windowClass, ::getpid()))) {
        err << "dravik-manager-sim: cannot listen as " << m_options.windowClass << "\n";
        return 1;
    }
    if (m_options.writeId)
        registry.WriteNumber(CSuiteTransport::kSuiteKey, "ID", static_cast<std::uint32_t>(::getpid()));
    if (m_options.writePath)
        registry.WriteText(CSuiteTransport::kSuiteKey, "Path", ReadSelfExecutable());
    out << "listening on " << endpoint.Name() << std::endl;

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    if (m_options.select) {
        const auto packet = SelectionPacket(*m_options.select);
        const std::vector<std::string> targets =
            m_options.toPid ? std::vector<std::string>{CSuiteEndpoint::NameFor(CSuiteTransport::kOwnClass,
                                                                               static_cast<pid_t>(*m_options.toPid))}
                            : KelvaneEndpoints();
        if (targets.empty())
            out << "no Kelvane is listening" << std::endl;
        for (const std::string& target : targets) {
            const bool sent = CSuiteEndpoint::SendTo(target, packet, CSuiteTransport::kSendTimeout);
            out << (sent ? "selection sent to " : "selection not delivered to ") << target << std::endl;
        }
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = m_options.seconds
                              ? std::optional(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                                 std::chrono::duration<double>(*m_options.seconds)))
                              : std::nullopt;
    long received = 0;
    while (!g_stopRequested && !(m_options.count && received >= *m_options.count)) {
        int waitMs = 200;  // a stop signal is seen within this time
        if (deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            if (left <= 0)
                break;
            waitMs = static_cast<int>(std::min<long long>(left, waitMs));
        }
        pollfd watched{endpoint.Fd(), POLLIN, 0};
        if (::poll(&watched, 1, waitMs) <= 0)
            continue;
        while (auto datagram = endpoint.Receive()) {
            out << Describe(*datagram) << std::endl;
            if (m_options.count && ++received >= *m_options.count)
                break;
        }
    }
    return 0;
}
