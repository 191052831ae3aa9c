// Finding the suite's endpoint in /proc and the registry, and what the main
// window's endpoint lets through, without a second program.
#include "windows/CSuiteEndpoint.h"
#include "windows/CSuiteReporter.h"
#include "windows/CSuiteTransport.h"

#include "CFakeSuiteItems.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>

using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr const char* kHeader = "Num       RefCount Protocol Flags    Type St Inode Path\n";

// One /proc/net/unix line; type 0002 is a datagram socket, 0001 a stream.
std::string Line(const std::string& path, const char* type = "0002")
{
    return std::string("0000000000000000: 00000002 00000000 00000000 ") + type + " 01 12345 " + path + "\n";
}

}  // namespace

TEST(SuiteTransport, ReadsAbstractDatagramEndpointsFromTheSocketTable)
{
    const std::string table = std::string(kHeader) + Line("@Dravik Manager:5678") +
                              Line("@Dravik Manager:99", "0001") +          // stream: not a window
                              Line("/run/user/1000/bus") +                  // a file, not abstract
                              "0000000000000000: 00000002 00000000 00000000 0002 01 777\n" +  // unnamed
                              Line("@Kelvane:1234") + Line("@/tmp/.X11-unix/X0");
    EXPECT_EQ(CSuiteTransport::ParseUnixSocketTable(table),
              (std::vector<std::string>{"@Dravik Manager:5678", "@Kelvane:1234", "@/tmp/.X11-unix/X0"}));

    const struct {
        const char* name;
        std::optional<std::string> windowClass;
        std::optional<pid_t> pid;
    } names[] = {
        {"@Dravik Manager:5678", "Dravik Manager", 5678},
        {"@a:b:12", "a:b", 12},
        {"@Kelvane:", std::nullopt, std::nullopt},
        {"@Kelvane:12x", std::nullopt, std::nullopt},
        {"@Kelvane:0", std::nullopt, std::nullopt},
        {"Kelvane:12", std::nullopt, std::nullopt},
        {"@/tmp/.X11-unix/X0", std::nullopt, std::nullopt},
    };
    for (const auto& n : names) {
        EXPECT_EQ(CSuiteEndpoint::ClassOf(n.name), n.windowClass) << n.name;
        EXPECT_EQ(CSuiteEndpoint::PidOf(n.name), n.pid) << n.name;
    }
}

TEST(SuiteTransport, FindsTheSuiteByClassThenIdThenPath)
{
    const std::string suitePath = "/opt/dravik/DravikManager";
    const struct {
        const char* what;
        std::optional<std::string> table;  // nothing: /proc/net/unix cannot be read
        std::optional<std::uint32_t> id;
        std::optional<std::string> path;
        std::map<int, std::string> executables;
        std::string expected;  // "" when not found
    } cases[] = {
        {"the class wins over the registry", std::string(kHeader) + Line("@Kelvane:10") + Line("@Dravik Manager:700"),
         800, suitePath, {{700, suitePath}}, "@Dravik Manager:700"},
        // An ID left behind by a suite that has ended: its endpoint is not
        // bound, so it names nobody (the button stays dark).
        {"a stream socket of the class is no window; a stale ID is no suite",
         std::string(kHeader) + Line("@Dravik Manager:700", "0001"), 800, std::nullopt, {}, ""},
        {"a stale ID without a readable socket table", std::nullopt, 800, std::nullopt, {}, ""},
        {"only a class that starts alike", std::string(kHeader) + Line("@Dravik Manager Tray:5"), std::nullopt,
         std::nullopt, {{5, suitePath}}, ""},
        {"Path: the first endpoint in table order whose executable matches",
         std::string(kHeader) + Line("@Other:10") + Line("@Dravik Tray:20") + Line("@Dravik Main:21"), std::nullopt,
         suitePath, {{10, "/usr/bin/other"}, {20, suitePath}, {21, suitePath}}, "@Dravik Tray:20"},
        {"Path compared byte for byte", std::string(kHeader) + Line("@Dravik Tray:20"), std::nullopt,
         suitePath, {{20, "/opt/dravik/dravikmanager"}}, ""},
        {"Path of a process without a readable executable", std::string(kHeader) + Line("@Dravik Tray:20"),
         std::nullopt, suitePath, {}, ""},
        {"Path without a socket table", std::nullopt, std::nullopt, suitePath, {}, ""},
        {"nothing at all", std::string(kHeader), std::nullopt, std::nullopt, {}, ""},
    };
    for (const auto& c : cases) {
        CTempDir root;
        std::filesystem::create_directories(root.File("proc/net"));
        if (c.table)
            CTempDir::Write(root.File("proc/net/unix"), *c.table);
        for (const auto& [pid, target] : c.executables) {
            std::filesystem::create_directories(root.File("proc/" + std::to_string(pid)));
            std::filesystem::create_symlink(target, root.File("proc/" + std::to_string(pid) + "/exe"));
        }
        CRegistryKey registry(root.File("registry.db"), kHkeyLocalMachine);
        if (c.id)
            registry.WriteNumber(CSuiteTransport::kSuiteKey, "ID", *c.id);
        if (c.path)
            registry.WriteText(CSuiteTransport::kSuiteKey, "Path", *c.path);

        CSuiteTransport transport(registry, {.procRoot = root.Path()});
        EXPECT_EQ(transport.FindSuiteWindow(), !c.expected.empty()) << c.what;
        EXPECT_EQ(transport.SuiteEndpoint(), c.expected) << c.what;
    }
}

TEST(SuiteTransport, MainWindowEndpointTakesNoDatagramAbove260Bytes)
{
    // A type-1 packet choosing codes 13 and 19, with as many data bytes as
    // asked for (the first three are the masks) and extra bytes after it.
    auto choice = [](std::size_t dataBytes, std::size_t extra) {
        Bytes bytes{0xF5, 0x01, static_cast<std::uint8_t>(dataBytes), 0x00, 0x20, 0x08};
        bytes.resize(3 + dataBytes, 0);
        bytes.push_back(0);  // the checksum is not examined
        bytes.push_back(0xFA);
        bytes.resize(bytes.size() + extra, 0xFA);
        return bytes;
    };
    const std::vector<std::uint8_t> chosen{13, 19};
    const std::vector<std::uint8_t> untouched{19};

    const struct {
        const char* what;
        Bytes datagram;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {"a small packet", choice(3, 0), chosen},
        {"a packet of 260 bytes", choice(255, 0), chosen},
        {"260 bytes of packet and one more", choice(255, 1), untouched},
        {"a whole packet inside 300 bytes", choice(255, 40), untouched},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        CRegistryKey registry(dir.File("registry.db"), kHkeyLocalMachine);
        CSuiteTransport transport(registry, {.procRoot = dir.Path()});
        ASSERT_TRUE(transport.Listen());
        EXPECT_EQ(transport.OwnEndpoint(), "@Kelvane:" + std::to_string(::getpid()));
        CFakeSuiteItems items;
        for (auto& item : items.fans)
            item.enabled = false;
        for (auto& item : items.temperatures)
            item.enabled = false;
        CSuiteReporter reporter(items, transport, "kelvane");
        reporter.BuildDefaultSendList();

        ASSERT_TRUE(CSuiteEndpoint::SendTo(transport.OwnEndpoint(), c.datagram, CSuiteTransport::kSendTimeout));
        reporter.ReceivePending();
        EXPECT_EQ(reporter.SendList(), c.expected) << c.what;
    }
}

TEST(SuiteTransport, SendToAPeerThatNeverReadsGivesUp)
{
    // Once the receiver's queue is full a blocking send would wait for ever;
    // the send time-out lets the sender go on without it.
    CSuiteEndpoint silent;
    ASSERT_TRUE(silent.Bind(CSuiteEndpoint::NameFor("Dravik Silent", ::getpid())));
    const Bytes packet{0xA5, 0x01, 0x00, 0x01, 0xAA};
    int delivered = 0;
    while (delivered < 100000 && CSuiteEndpoint::SendTo(silent.Name(), packet, CSuiteTransport::kSendTimeout))
        ++delivered;
    EXPECT_LT(delivered, 100000);
    EXPECT_FALSE(CSuiteEndpoint::SendTo("@Dravik Nobody:1", packet, CSuiteTransport::kSendTimeout));
}

TEST(SuiteTransport, DefaultSendListFollowsTheEnabledItems)
{
    // Fan items 1 and 3 are engine fans 0 and 2; temperature items 1 and 2
    // are engine temperatures 0 and 1. Fan 2 and temperature 3 are never sent.
    const struct {
        bool fan1, fan2, fan3, temp1, temp2, temp3;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {true, true, true, true, true, true, {11, 13, 16, 17, 19}},
        {false, true, false, false, false, true, {19}},
        {true, false, false, false, true, false, {11, 17, 19}},
        {false, false, true, true, false, false, {13, 16, 19}},
    };
    for (const auto& c : cases) {
        CTempDir dir;
        CRegistryKey registry(dir.File("registry.db"), kHkeyLocalMachine);
        CSuiteTransport transport(registry, {.procRoot = dir.Path()});
        CFakeSuiteItems items;
        items.fans[0].enabled = c.fan1;
        items.fans[1].enabled = c.fan2;
        items.fans[2].enabled = c.fan3;
        items.temperatures[0].enabled = c.temp1;
        items.temperatures[1].enabled = c.temp2;
        items.temperatures[2].enabled = c.temp3;
        CSuiteReporter reporter(items, transport, "kelvane");
        reporter.BuildDefaultSendList();
        EXPECT_EQ(reporter.SendList(), c.expected);
        EXPECT_EQ(reporter.Position(), 0u);
    }
}
