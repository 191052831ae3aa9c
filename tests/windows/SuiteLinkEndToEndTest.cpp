// Kelvane's side of the link against the Dravik Manager stand-in, started
// from the program directory as a child and ended by its process id. Every
// test listens under window classes of its own, so suites that run side by
// side never reach each other's stand-ins.
#include "windows/CSuiteLinkWatcher.h"
#include "windows/CSuiteReporter.h"
#include "windows/CSuiteTransport.h"

#include "CChildProcess.h"
#include "CFakeSuiteItems.h"
#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string UniqueClass(const std::string& what)
{
    static int serial = 0;
    return "Dravik " + what + " " + std::to_string(::getpid()) + "-" + std::to_string(++serial);
}

std::string SimProgram()
{
    return ProgramDirectoryPath() + "/dravik-manager-sim";
}

// The stand-in, once it listens: its endpoint name.
struct Sim {
    std::unique_ptr<CChildProcess> process;
    std::string endpoint;
};

Sim StartSim(const std::string& program, std::vector<std::string> arguments)
{
    Sim sim;
    sim.process = std::make_unique<CChildProcess>(program, arguments);
    const auto line = sim.process->WaitForLine("listening on ");
    if (line)
        sim.endpoint = line->substr(std::string("listening on ").size());
    return sim;
}

// Items with readings that give easily checked lines.
CFakeSuiteItems Items()
{
    CFakeSuiteItems items;
    items.fans[0] = {true, 2345, false};
    items.fans[2] = {true, 1980, true};
    items.temperatures[0] = {true, 41.7, false};
    items.temperatures[1] = {true, 55.2, true};
    return items;
}

}  // namespace

TEST(SuiteLinkEndToEnd, StartFindsTheSuiteByEachStepAndReachesIt)
{
    CTempDir dir;
    const std::string hive = dir.File("registry.db");
    // The stand-in copied under a path of its own, so that no other copy
    // running at the same time shares its executable path.
    const std::string copied = dir.File("DravikManager");
    std::filesystem::copy_file(SimProgram(), copied);

    const struct {
        const char* step;
        std::string program;
        std::string simClass;
        std::vector<std::string> options;
        std::string searchedClass;
        std::string procRoot;
    } cases[] = {
        // 1: its endpoint in the real /proc/net/unix; no registry values.
        {"class", SimProgram(), UniqueClass("Manager"), {"--no-id", "--no-path"}, "", "/"},
        // 2: no socket table to look in (an empty /proc root): "ID" alone.
        {"ID", SimProgram(), UniqueClass("Manager"), {"--no-path"}, "", dir.Path()},
        // 3: listening under another class, no "ID": its executable's path.
        {"Path", copied, UniqueClass("Tray"), {"--no-id"}, UniqueClass("Manager"), "/"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(hive);
        std::vector<std::string> arguments{"--hive", hive, "--class", c.simClass};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        Sim sim = StartSim(c.program, arguments);
        ASSERT_FALSE(sim.endpoint.empty()) << c.step;
        EXPECT_EQ(sim.endpoint, "@" + c.simClass + ":" + std::to_string(sim.process->Pid()));

        CRegistryKey registry(hive, kHkeyLocalMachine);
        const std::string searched = c.searchedClass.empty() ? c.simClass : c.searchedClass;
        CSuiteTransport transport(registry, {.procRoot = c.procRoot, .suiteClass = searched});
        CFakeSuiteItems items = Items();
        CSuiteReporter reporter(items, transport, "kelvane");
        ASSERT_TRUE(reporter.Start("2400")) << c.step;
        EXPECT_EQ(transport.SuiteEndpoint(), sim.endpoint) << c.step;

        // Registered where the suite looks for this program.
        std::uint32_t id = 0;
        std::string path;
        EXPECT_TRUE(registry.ReadNumber("SOFTWARE\\Dravik\\Dravik Manager\\Kelvane", "ID", id));
        EXPECT_EQ(id, static_cast<std::uint32_t>(::getpid()));
        EXPECT_TRUE(registry.ReadText("SOFTWARE\\Dravik\\Dravik Manager\\Kelvane", "Path", path));
        EXPECT_EQ(path, ProgramDirectoryPath() + "/kelvane");

        reporter.SendNextReading(true);
        EXPECT_EQ(sim.process->ReadLine(), "code 11 CPU FAN 2345 RPM alarm 0") << c.step;
        EXPECT_EQ(sim.process->Terminate(), 0);
    }
}

TEST(SuiteLinkEndToEnd, NothingIsRegisteredWhenNoSuiteIsFound)
{
    CTempDir dir;
    CRegistryKey registry(dir.File("registry.db"), kHkeyLocalMachine);
    CSuiteTransport transport(registry, {.procRoot = "/", .suiteClass = UniqueClass("Absent")});
    CFakeSuiteItems items = Items();
    CSuiteReporter reporter(items, transport, "kelvane");
    EXPECT_FALSE(reporter.Start("2400"));
    EXPECT_FALSE(registry.KeyExists(CSuiteTransport::kOwnKey));
    EXPECT_TRUE(reporter.SendList().empty());
}

TEST(SuiteLinkEndToEnd, FullCycleSkipsTheTurnOfAnItemSwitchedOff)
{
    CTempDir dir;
    const std::string hive = dir.File("registry.db");
    const std::string suiteClass = UniqueClass("Manager");
    Sim sim = StartSim(SimProgram(), {"--hive", hive, "--class", suiteClass});
    ASSERT_FALSE(sim.endpoint.empty());

    CRegistryKey registry(hive, kHkeyLocalMachine);
    CSuiteTransport transport(registry, {.suiteClass = suiteClass});
    CFakeSuiteItems items = Items();
    CSuiteReporter reporter(items, transport, "kelvane");
    ASSERT_TRUE(reporter.Start("2400 MHz"));
    ASSERT_EQ(reporter.SendList(), (std::vector<std::uint8_t>{11, 13, 16, 17, 19}));

    // The system temperature is switched off after the list was built: its
    // turn passes without a packet, and the sixth tick starts over.
    items.temperatures[0].enabled = false;
    for (int tick = 0; tick < 6; ++tick)
        reporter.SendNextReading(tick != 3);
    EXPECT_EQ(sim.process->ReadLine(), "code 11 CPU FAN 2345 RPM alarm 0");
    EXPECT_EQ(sim.process->ReadLine(), "code 13 SYSTEM FAN 1980 RPM alarm 1");
    EXPECT_EQ(sim.process->ReadLine(), "code 17 CPU Temperature 131 F alarm 1");  // 55 C in Fahrenheit
    EXPECT_EQ(sim.process->ReadLine(), "code 19 CPU Frequency 2400 MHz");
    EXPECT_EQ(sim.process->ReadLine(), "code 11 CPU FAN 2345 RPM alarm 0");
    EXPECT_EQ(sim.process->Terminate(), 0);
}

TEST(SuiteLinkEndToEnd, TheSuitesSelectionChangesWhatIsSent)
{
    CTempDir dir;
    const std::string hive = dir.File("registry.db");
    const std::string suiteClass = UniqueClass("Manager");
    CRegistryKey registry(hive, kHkeyLocalMachine);
    CSuiteTransport transport(registry, {.suiteClass = suiteClass});
    ASSERT_TRUE(transport.Listen());
    CFakeSuiteItems items = Items();
    CSuiteReporter reporter(items, transport, "kelvane");
    CSuiteLinkWatcher watcher(transport, reporter);
    std::vector<int> received;
    QObject::connect(&watcher, &CSuiteLinkWatcher::PacketsReceived, [&received](int n) { received.push_back(n); });

    // Code 3 has no reading: its turn sends nothing.
    Sim sim = StartSim(SimProgram(), {"--hive", hive, "--class", suiteClass, "--select", "13,3,19", "--to",
                                      std::to_string(::getpid())});
    ASSERT_FALSE(sim.endpoint.empty());
    EXPECT_EQ(sim.process->ReadLine(), "selection sent to " + transport.OwnEndpoint());

    // The choice waits in the endpoint's queue until the window's loop runs.
    ASSERT_TRUE(reporter.Start("3792"));
    ASSERT_EQ(reporter.SendList(), (std::vector<std::uint8_t>{11, 13, 16, 17, 19}));
    ASSERT_TRUE(WaitFor([&] { return !received.empty(); }));
    EXPECT_EQ(received.front(), 1);
    EXPECT_EQ(reporter.SendList(), (std::vector<std::uint8_t>{3, 13, 19}));

    // 3 (nothing), 13, 19, 3 (nothing), 13.
    for (int tick = 0; tick < 5; ++tick)
        reporter.SendNextReading(true);
    EXPECT_EQ(sim.process->ReadLine(), "code 13 SYSTEM FAN 1980 RPM alarm 1");
    EXPECT_EQ(sim.process->ReadLine(), "code 19 CPU Frequency 3792 MHz");
    EXPECT_EQ(sim.process->ReadLine(), "code 13 SYSTEM FAN 1980 RPM alarm 1");
    EXPECT_EQ(sim.process->Terminate(), 0);
}

TEST(SuiteLinkEndToEnd, StandInRefusesBadOptions)
{
    const std::vector<std::vector<std::string>> bad = {{"--select", "24"}, {"--count"}, {"--frobnicate"}};
    for (const auto& arguments : bad) {
        CChildProcess sim(SimProgram(), arguments);
        EXPECT_EQ(sim.Wait(), 2) << arguments[0];
    }
    CChildProcess help(SimProgram(), {"--help"});
    EXPECT_EQ(help.ReadLine()->rfind("usage: dravik-manager-sim", 0), 0u);
    EXPECT_EQ(help.Wait(), 0);
}
