// kelvane-cli as a user runs it: the built program started as a child
// process on a private program directory with its own copy of the chip
// simulator, its output read back (the JSON through a small parser, so the
// output must be valid JSON).
#include <fcntl.h>
#include <sys/file.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/CSystemInfo.h"
#include "tests/accesslib/CHwmonFixture.h"
#include "support/CTempDir.h"

namespace fs = std::filesystem;

namespace {

fs::path BuildDirectory() { return fs::read_symlink("/proc/self/exe").parent_path(); }

// A JSON reader just large enough for the program's output: it refuses
// anything that is not valid JSON of that shape.
struct Json {
    enum class Type { kNull, kBool, kNumber, kString, kArray, kObject } type = Type::kNull;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& key) const {
        static const Json missing;
        auto it = members.find(key);
        return it == members.end() ? missing : it->second;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : m_text(text) {}
    // The one value of the whole text, or nothing when it is not valid JSON.
    std::optional<Json> Document() {
        Json value;
        if (!Value(value)) return std::nullopt;
        Blank();
        return m_pos == m_text.size() ? std::optional<Json>(value) : std::nullopt;
    }

private:
    void Blank() {
        while (m_pos < m_text.size() && std::strchr(" \t\r\n", m_text[m_pos]) && m_text[m_pos]) ++m_pos;
    }
    bool Match(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }
    bool Take(std::string_view word) {
        Blank();
        return Match(word);
    }
    bool String(std::string& out) {
        if (!Take("\"")) return false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
            } else if (m_pos < m_text.size() && std::strchr("\"\\/", m_text[m_pos])) {
                out += m_text[m_pos++];
            } else if (Match("t")) {
                out += '\t';
            } else if (Match("ufffd")) {
                out += "\xEF\xBF\xBD";
            } else {
                return false;  // escapes the program does not write
            }
        }
        return false;
    }
    bool Value(Json& value) {
        if (Take("[")) {
            value.type = Json::Type::kArray;
            if (Take("]")) return true;
            do {
                if (!Value(value.items.emplace_back())) return false;
            } while (Take(","));
            return Take("]");
        }
        if (Take("{")) {
            value.type = Json::Type::kObject;
            if (Take("}")) return true;
            do {
                std::string key;
                if (!String(key) || !Take(":") || !Value(value.members[key])) return false;
            } while (Take(","));
            return Take("}");
        }
        Blank();
        if (m_pos < m_text.size() && m_text[m_pos] == '"') {
            value.type = Json::Type::kString;
            return String(value.text);
        }
        if (Take("null")) return true;
        value.type = Json::Type::kBool;
        if (Take("true")) return value.boolean = true;
        if (Take("false")) return true;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && std::strchr("-0123456789.", m_text[m_pos]) && m_text[m_pos]) ++m_pos;
        value.type = Json::Type::kNumber;
        const std::string number(m_text.substr(start, m_pos - start));
        int used = 0;
        return !number.empty() && std::sscanf(number.c_str(), "%lf%n", &value.number, &used) == 1 &&
               used == static_cast<int>(number.size());
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Every line of a --json output as an array of objects keyed by section.
std::vector<std::map<std::string, Json>> JsonReadings(const std::string& output) {
    std::vector<std::map<std::string, Json>> readings;
    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t end = output.find('\n', start);
        const std::string line = output.substr(start, end - start);
        start = end == std::string::npos ? output.size() : end + 1;
        std::optional<Json> array = JsonReader(line).Document();
        EXPECT_TRUE(array && array->type == Json::Type::kArray) << "not a JSON array: " << line;
        if (!array) continue;
        std::map<std::string, Json>& items = readings.emplace_back();
        for (const Json& item : array->items) items[item["section"].text] = item;
    }
    return readings;
}

// --- the program on a private directory -------------------------------------

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CliDirectory {
public:
    // withLibrary false: everything but the access library.
    explicit CliDirectory(bool withLibrary = true) {
        const fs::path build = BuildDirectory();
        for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("W83") && name.ends_with(".ini")) fs::copy_file(entry.path(), m_dir.File(name));
        }
        // The board's defaults file, under whatever name this machine's board
        // gives (def.ini on the simulated reference board).
        fs::copy_file(build / "def.ini", m_dir.File(CSystemInfo("/").GetBoardName() + "def.ini"));
        fs::copy_file(build / "kelvane-cli", m_dir.File("kelvane-cli"));
        if (withLibrary) fs::copy_file(build / "libWbcdflsh.so", m_dir.File("libWbcdflsh.so"));
        CTempDir::Write(m_dir.File("simchip.ini"), "[Chip]\nModel=W83782D\n");
    }

    const std::string& Path() const { return m_dir.Path(); }
    // Every kelvane-cli started here takes its chip lock on this file, never
    // on the machine's, which a running Kelvane may hold.
    std::string LockFile() const { return m_dir.File("chip.lock"); }
    std::string DefaultsFile() const { return m_dir.File(CSystemInfo("/").GetBoardName() + "def.ini"); }

    // Starts a program with stdout and stderr into files of the directory;
    // kelvane-cli on LockFile() unless lock says otherwise.
    pid_t Start(const std::string& program, const std::vector<std::string>& arguments,
                std::optional<std::string> lock = std::nullopt) const {
        std::vector<std::string> words{program};
        if (fs::path(program).filename() == "kelvane-cli") words.insert(words.end(), {"--lock", lock.value_or(LockFile())});
        words.insert(words.end(), arguments.begin(), arguments.end());
        const std::string out = m_dir.File("stdout.txt");
        const std::string err = m_dir.File("stderr.txt");
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0) ::_exit(127);
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return pid;
    }
    // Waits for the program for at most timeout; kills it past that.
    Outcome Finish(pid_t pid, std::chrono::seconds timeout = std::chrono::seconds(60)) const {
        Outcome outcome;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "the program did not end";
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = CTempDir::Read(m_dir.File("stdout.txt"));
        outcome.err = CTempDir::Read(m_dir.File("stderr.txt"));
        return outcome;
    }
    // program: "kelvane-cli" (the copy here, whose program directory is this
    // one, as for an installed program), "--dir" (the build's kelvane-cli
    // pointed here) or "kelvane-simctl" (the build's, on this directory).
    Outcome Run(const std::string& program, std::vector<std::string> arguments) const {
        if (program == "kelvane-cli") return Finish(Start(m_dir.File(program), arguments));
        arguments.insert(arguments.begin(), {"--dir", Path()});
        const std::string built = program == "--dir" ? "kelvane-cli" : program;
        return Finish(Start((BuildDirectory() / built).string(), arguments));
    }
    Outcome Cli(const std::vector<std::string>& arguments) const { return Run("kelvane-cli", arguments); }
    std::string Read(const std::string& name) const { return CTempDir::Read(m_dir.File(name)); }

private:
    CTempDir m_dir;
};

// The line of the table that shows an item.
std::string TableLine(const std::string& table, const std::string& section) {
    std::size_t at = table.find("\n" + section + " ");
    if (at == std::string::npos) return "";
    ++at;
    return table.substr(at, table.find('\n', at) - at);
}

// One byte of bank 0 from kelvane-simctl's register dump.
int Bank0Register(const std::string& dump, int reg) {
    char row[8];
    std::snprintf(row, sizeof row, "  %X0: ", reg >> 4);
    const std::size_t at = dump.find(row);
    if (at == std::string::npos) return -1;
    return std::stoi(dump.substr(at + 6 + 3 * (reg & 0xF), 2), nullptr, 16);
}

}  // namespace

TEST(KelvaneCliTest, TableAndJsonShowTheSimulatedBoard) {
    CliDirectory dir;
    const Outcome table = dir.Cli({});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(table.out.starts_with("ITEM ")) << table.out;
    const std::string cpu = TableLine(table.out, "TEMP2");
    EXPECT_NE(cpu.find("CPU Temperature"), std::string::npos);
    // Degrees with their sign in the table; the second limit of a
    // temperature is its hysteresis, and the header says so.
    EXPECT_NE(cpu.find(" 45.5 \u00B0C "), std::string::npos) << table.out;
    EXPECT_NE(table.out.substr(0, table.out.find('\n')).find(" LOW/HYST "), std::string::npos) << table.out;
    // Columns stay aligned whatever the unit's bytes.
    const std::string vcore = TableLine(table.out, "VOLT1");
    const auto column = [](const std::string& line, std::size_t at) {
        return std::count_if(line.begin(), line.begin() + at, [](char c) { return (c & 0xC0) != 0x80; });
    };
    EXPECT_EQ(column(cpu, cpu.rfind(" ok")), column(vcore, vcore.rfind(" ok"))) << table.out;
    EXPECT_TRUE(cpu.ends_with(" ok"));
    EXPECT_NE(TableLine(table.out, "VOLT3").find(" 3.30 V "), std::string::npos) << table.out;
    // Disabled items only with --all; inputs the chip does not have (VOLT10
    // on this board's W83782D) never.
    EXPECT_EQ(TableLine(table.out, "VOLT10"), "");
    EXPECT_EQ(TableLine(dir.Cli({"--all"}).out, "VOLT10"), "");

    // The CPU fan runs at the Smart Fan middle duty, since TEMP2 (45.5 C)
    // lies between its two zone temperatures; the power supply fan, not
    // driven, at full speed.
    const double cpuFanRpm = 4500 * (0.25 + 0.75 * 50 / 255.0);
    struct Case {
        std::vector<std::string> arguments;
        double temp2;
        const char* unit;
    };
    for (const Case& c : {Case{{"--json"}, 45.5, "C"}, Case{{"--json", "--fahrenheit", "--all"}, 113.9, "F"}}) {
        const Outcome json = dir.Cli(c.arguments);
        ASSERT_EQ(json.status, 0) << json.err;
        const auto readings = JsonReadings(json.out);
        ASSERT_EQ(readings.size(), 1u) << json.out;
        const auto& items = readings[0];
        EXPECT_EQ(items.size(), 15u);
        const Json& temp2 = items.at("TEMP2");
        EXPECT_EQ(temp2["name"].text, "CPU Temperature");
        EXPECT_EQ(temp2["kind"].text, "temperature");
        EXPECT_DOUBLE_EQ(temp2["value"].number, c.temp2);
        EXPECT_EQ(temp2["unit"].text, c.unit);
        EXPECT_DOUBLE_EQ(temp2["hi"].number, c.unit[0] == 'C' ? 70.0 : 158.0);
        EXPECT_EQ(temp2["hyst"].type, Json::Type::kNumber);
        EXPECT_DOUBLE_EQ(temp2["hyst"].number, temp2["lo"].number);
        EXPECT_FALSE(temp2["alarm"].boolean);

        const Json& vcc = items.at("VOLT3");
        EXPECT_EQ(vcc["kind"].text, "voltage");
        EXPECT_NEAR(vcc["value"].number, 3.30, 0.016);
        EXPECT_DOUBLE_EQ(vcc["lo"].number, 3.13);
        EXPECT_EQ(vcc.members.count("hyst"), 0u) << "a voltage's second limit is a low limit";

        const Json& cpuFan = items.at("FAN1");
        EXPECT_EQ(cpuFan["kind"].text, "fan");
        EXPECT_EQ(cpuFan["unit"].text, "RPM");
        EXPECT_NEAR(cpuFan["rpm"].number, cpuFanRpm, cpuFanRpm * 0.03);
        EXPECT_EQ(cpuFan["hi"].type, Json::Type::kNull);
        // Fan value 10 at divisor 8: 1350000 / (8 x 245).
        EXPECT_DOUBLE_EQ(cpuFan["lo"].number, 688);
        EXPECT_NEAR(items.at("FAN2")["rpm"].number, 3000, 90);
        for (const auto& [section, item] : items) EXPECT_FALSE(item["alarm"].boolean) << section;
        if (items.count("VOLT10")) {
            EXPECT_FALSE(items.at("VOLT10")["enabled"].boolean);
            EXPECT_EQ(items.at("VOLT10")["value"].type, Json::Type::kNull);
        }
    }
}

TEST(KelvaneCliTest, AnInputOutOfRangeShowsAsAlarmOnItsItemOnly) {
    struct Case {
        const char* input;
        const char* section;
        bool withDir;
    };
    for (const Case& c : {Case{"TEMP2=95", "TEMP2", false}, Case{"IN2=3.6", "VOLT3", false},
                          Case{"FAN2=1500", "FAN2", false}, Case{"TEMP2=95", "TEMP2", true}}) {
        SCOPED_TRACE(std::string(c.input) + (c.withDir ? " with --dir" : ""));
        CliDirectory dir;
        ASSERT_EQ(dir.Run("kelvane-simctl", {"set", c.input}).status, 0);
        // With --dir the chip is the simulator of that directory, not the
        // one beside the build's program.
        const Outcome json = c.withDir ? dir.Run("--dir", {"--json"}) : dir.Cli({"--json"});
        ASSERT_EQ(json.status, 0) << json.err;
        const auto readings = JsonReadings(json.out);
        ASSERT_EQ(readings.size(), 1u);
        for (const auto& [section, item] : readings[0]) {
            EXPECT_EQ(item["alarm"].boolean, section == c.section) << section;
        }
        const Outcome table = c.withDir ? dir.Run("--dir", {}) : dir.Cli({});
        EXPECT_TRUE(TableLine(table.out, c.section).ends_with(" ALARM")) << table.out;
    }
}

TEST(KelvaneCliTest, AShutDownThatRunsOutIsOnlyReportedAndNothingGoesIntoTheWarningLog) {
    CliDirectory dir;
    std::string defaults = CTempDir::Read(dir.DefaultsFile());
    const std::size_t section = defaults.find("[TEMP2]");
    const std::string off = "ShutDownEnable=0\nShutDownTime=30";
    const std::size_t at = defaults.find(off, section);
    ASSERT_NE(at, std::string::npos);
    defaults.replace(at, off.size(), "ShutDownEnable=1\nShutDownTime=1");
    CTempDir::Write(dir.DefaultsFile(), defaults);
    ASSERT_EQ(dir.Run("kelvane-simctl", {"set", "TEMP2=95"}).status, 0);

    const Outcome outcome = dir.Cli({"--json", "--watch=0.4", "--count=6"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const auto& items : JsonReadings(outcome.out)) EXPECT_TRUE(items.at("TEMP2")["alarm"].boolean);
    const std::string refused = "which kelvane-cli does not carry out";
    const std::size_t first = outcome.err.find(refused);
    EXPECT_NE(first, std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find(refused, first + 1), std::string::npos) << "asked once, not on every tick";
    // The warning log and the mail are the window's.
    EXPECT_FALSE(fs::exists(dir.Path() + "/error.txt"));
}

TEST(KelvaneCliTest, AnEngineThatDoesNotStartFailsWithItsMessage) {
    CliDirectory dir(false);
    for (const Outcome& outcome : {dir.Cli({}), dir.Run("--dir", {"--json"})}) {
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.err.find("Initial value fail!"), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(KelvaneCliTest, BadOptionsExitWithUsage) {
    CliDirectory dir;
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},          {"--watch", "0"}, {"--watch", "abc"},  {"--watch", "1e9"},
        {"--count", "2"},     {"--watch"},      {"--watch", "1", "--count", "0"},
        {"--json=yes"},       {"extra"},        {"--dir", dir.Path() + "/missing"},
        {"--lock="},
    };
    for (const auto& arguments : bad) {
        SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : ""));
        const Outcome outcome = dir.Cli(arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("kelvane-cli: "), std::string::npos) << outcome.err;
    }
    EXPECT_NE(dir.Cli({"--bogus"}).err.find("Usage: kelvane-cli"), std::string::npos);
    EXPECT_EQ(dir.Cli({"--version"}).out, "kelvane-cli 1.2.3.2\n");
    const Outcome help = dir.Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("never powers the machine off"), std::string::npos);
    EXPECT_NE(help.out.find("--lock FILE"), std::string::npos);
}

TEST(KelvaneCliTest, WatchStopsAfterCountReadings) {
    CliDirectory dir;
    const Outcome json = dir.Cli({"--json", "--watch", "0.05", "--count", "3"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto readings = JsonReadings(json.out);
    ASSERT_EQ(readings.size(), 3u);
    for (const auto& items : readings) EXPECT_DOUBLE_EQ(items.at("TEMP2")["value"].number, 45.5);

    const Outcome table = dir.Cli({"--watch=0.05", "--count=2"});
    ASSERT_EQ(table.status, 0);
    // Two tables, one blank line between, each under the time it was read.
    const std::regex stamped("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\nITEM ");
    EXPECT_EQ(std::distance(std::sregex_iterator(table.out.begin(), table.out.end(), stamped), std::sregex_iterator()), 2)
        << table.out;
    EXPECT_TRUE(std::regex_search(table.out, std::regex("^\\d{4}-")));
    EXPECT_NE(table.out.find("\n\n20"), std::string::npos) << table.out;
}

TEST(KelvaneCliTest, InterruptEndsTheWatchAndPutsTheChipBack) {
    // A closed terminal (SIGHUP) and Ctrl-\\ (SIGQUIT) too.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        CliDirectory dir;
        const pid_t pid = dir.Start(dir.Path() + "/kelvane-cli", {"--watch", "60"});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (dir.Read("stdout.txt").find("FAN3") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid, signal);
        const auto sent = std::chrono::steady_clock::now();
        const Outcome outcome = dir.Finish(pid, std::chrono::seconds(20));
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(20));
        // The engine's destructor ran: the chip is marked as released again
        // (0x4B bits 0-1 = 1; 0 while a program drives it).
        const Outcome dump = dir.Run("kelvane-simctl", {"show"});
        ASSERT_EQ(dump.status, 0);
        EXPECT_EQ(Bank0Register(dump.out, 0x4B) & 0x03, 1) << dump.out;
        // The CPU fan, slowed by Smart Fan, is back at its power-on duty.
        EXPECT_EQ(Bank0Register(dump.out, 0x5B), 0xFF) << dump.out;
    }
}

TEST(KelvaneCliTest, AReadingThatFailedIsShownAsFailedAndEndsWithItsOwnStatus) {
    CliDirectory dir;
    const pid_t pid = dir.Start(dir.Path() + "/kelvane-cli", {"--json", "--watch=0.05", "--count=40"});
    const auto until = [&](const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (dir.Read("stdout.txt").find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    until("FAN3");
    // A peer takes the chip lock and stops: the readings fail.
    const int fd = ::open(dir.LockFile().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    until("read failed");
    ::close(fd);
    const Outcome outcome = dir.Finish(pid);
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    bool sawFailure = false;
    bool sawRecovery = false;
    for (const auto& items : JsonReadings(outcome.out)) {
        const auto& vcore = items.at("VOLT1");
        if (vcore["state"].text == "FAILED") {
            sawFailure = true;
            EXPECT_EQ(vcore["value"].type, Json::Type::kNull);
            EXPECT_EQ(vcore["error"].text, "read failed");
            EXPECT_FALSE(items.at("FAN1")["alarm"].boolean);
        } else if (sawFailure) {
            sawRecovery = true;
            EXPECT_NEAR(vcore["value"].number, 1.5, 0.02);
        }
    }
    EXPECT_TRUE(sawFailure);
    EXPECT_TRUE(sawRecovery);
    // One line at the start of the episode and one at its end, per item.
    const auto count = [&](const std::string& text) {
        int n = 0;
        for (std::size_t at = outcome.err.find(text); at != std::string::npos; at = outcome.err.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("VOLT1 VCore: the reading failed"), 1) << outcome.err;
    EXPECT_EQ(count("VOLT1 VCore: read again"), 1) << outcome.err;
}

TEST(KelvaneCliTest, AFanWithoutSpeedAtTheStartIsListedAsNoFan) {
    CliDirectory dir;
    ASSERT_EQ(dir.Run("kelvane-simctl", {"set", "FAN2=0"}).status, 0);
    const Outcome table = dir.Cli({});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(TableLine(table.out, "FAN2").find("no fan"), std::string::npos) << table.out;
    EXPECT_NE(table.err.find("POWER FAN reads no speed at start: not monitored"), std::string::npos) << table.err;
    const Outcome json = dir.Cli({"--json"});
    EXPECT_EQ(JsonReadings(json.out).at(0).at("FAN2")["state"].text, "no fan");
}

TEST(KelvaneCliTest, NamesAreEscapedInJson) {
    CliDirectory dir;
    std::string defaults = CTempDir::Read(dir.DefaultsFile());
    const std::string plain = "Name=CPU Temperature";
    ASSERT_NE(defaults.find(plain), std::string::npos);
    defaults.replace(defaults.find(plain), plain.size(), "Name=CPU \"hot\" \\ \xFF\ttemp");
    CTempDir::Write(dir.DefaultsFile(), defaults);

    const Outcome json = dir.Cli({"--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto readings = JsonReadings(json.out);
    ASSERT_EQ(readings.size(), 1u);
    // The byte that is not UTF-8 becomes U+FFFD.
    EXPECT_EQ(readings[0].at("TEMP2")["name"].text, "CPU \"hot\" \\ \xEF\xBF\xBD\ttemp");
    // The terminal never gets the control character.
    EXPECT_NE(TableLine(dir.Cli({}).out, "TEMP2").find("\\ \xFF?temp"), std::string::npos);
}

TEST(KelvaneCliTest, TheLockOptionChoosesTheChipLockFile) {
    CliDirectory dir;
    const std::string held = dir.Path() + "/held.lock";
    const int fd = ::open(held.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    // A lock held on another file does not concern this run.
    const Outcome elsewhere = dir.Finish(dir.Start(dir.Path() + "/kelvane-cli", {"--json"}));
    ASSERT_EQ(elsewhere.status, 0) << elsewhere.err;
    EXPECT_DOUBLE_EQ(JsonReadings(elsewhere.out).at(0).at("TEMP2")["value"].number, 45.5);

    // On the held file the first chip access waits its full bound, finds the
    // chip busy and the engine does not start.
    const auto start = std::chrono::steady_clock::now();
    const Outcome blocked = dir.Finish(dir.Start(dir.Path() + "/kelvane-cli", {"--json"}, held));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(blocked.status, 2);
    EXPECT_NE(blocked.err.find("Initial value fail!"), std::string::npos) << blocked.err;
    EXPECT_EQ(blocked.out, "");
    ::close(fd);
}

// --- the way to the chip ------------------------------------------------------

namespace {

// A machine of the test's own: a sysfs tree laid out as the drivers lay it
// out and a /proc with an ioports file.
struct SMachineTrees {
    CTempDir sys;
    CTempDir proc;
    CHwmonFixture hwmon{sys.Path()};
    explicit SMachineTrees(const std::string& ioports = "") { CTempDir::Write(proc.File("ioports"), ioports); }
    std::vector<std::string> Options() const { return {"--sysfs-root", sys.Path(), "--proc-root", proc.Path()}; }
};

std::vector<std::string> With(std::vector<std::string> words, const std::vector<std::string>& more) {
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

void AddHwmonBuild(const CliDirectory& dir) {
    fs::create_directory(dir.Path() + "/hwmon");
    fs::copy_file(BuildDirectory() / "hwmon" / "libWbcdflsh.so", dir.Path() + "/hwmon/libWbcdflsh.so");
}

}  // namespace

TEST(KelvaneCliAccessTest, ReadsBesideTheKernelDriverAndSaysSoInEveryReading) {
    CliDirectory dir;
    AddHwmonBuild(dir);
    SMachineTrees machine("0290-0297 : pnp 00:0a\n  0295-0296 : w83627hf\n");
    machine.hwmon.AddChip("coretemp", 0);
    machine.hwmon.AddChip("w83627hf", 3);
    machine.hwmon.Set("temp2_input", 38000);
    machine.hwmon.MakeReadOnly();

    const Outcome json = dir.Cli(With({"--json"}, machine.Options()));
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.err.find("chip access: kernel driver w83627hf (w83627hf at /sys/devices/platform/w83627hf.656, hwmon3)"),
              std::string::npos)
        << json.err;
    EXPECT_NE(json.err.find("limits are Kelvane's own"), std::string::npos) << json.err;
    EXPECT_EQ(json.err.find("SIMULATED"), std::string::npos) << json.err;
    const auto readings = JsonReadings(json.out);
    ASSERT_EQ(readings.size(), 1u);
    EXPECT_DOUBLE_EQ(readings[0].at("TEMP2")["value"].number, 38.0);
    for (const auto& [section, item] : readings[0]) EXPECT_EQ(item["access"].text, "hwmon") << section;

    // The same machine with the simulator asked for: said on stderr and in
    // every reading, and the chip's 38 C is not what it shows.
    const Outcome simulated = dir.Cli(With({"--json", "--access", "simulator"}, machine.Options()));
    ASSERT_EQ(simulated.status, 0) << simulated.err;
    EXPECT_NE(simulated.err.find("chip access: SIMULATED chip"), std::string::npos) << simulated.err;
    const auto simulatedReadings = JsonReadings(simulated.out);
    ASSERT_EQ(simulatedReadings.size(), 1u);
    EXPECT_NE(simulatedReadings[0].at("TEMP2")["value"].number, 38.0);
    for (const auto& [section, item] : simulatedReadings[0]) EXPECT_EQ(item["access"].text, "simulator") << section;
}

TEST(KelvaneCliAccessTest, AForcedPathThatCannotWorkStopsWithTheReason) {
    CliDirectory dir;
    SMachineTrees machine;
    machine.hwmon.AddChip("coretemp", 0);
    struct Case {
        std::vector<std::string> words;
        const char* rootIni;
        const char* reason;
    };
    const Case cases[] = {
        {{"--access", "hwmon"}, nullptr, "--access hwmon: no kernel driver of a supported chip is bound (found coretemp"},
        {{"--access=service"}, nullptr, "--access service: no chip service is set up"},
        // Root or not, this directory has no port-I/O build: no port is probed.
        {{"--access", "ports"}, nullptr, "--access ports: "},
        {{}, "[Chip]\nAccess=driver\n", "[Chip] Access=driver is none of"},
        {{}, "[Chip]\nAccess=hwmon\n", "--access hwmon: no kernel driver"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        if (c.rootIni) CTempDir::Write(dir.Path() + "/Root.ini", c.rootIni);
        const Outcome outcome = dir.Cli(With(c.words, machine.Options()));
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.err.find(c.reason), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        fs::remove(dir.Path() + "/Root.ini");
    }
    EXPECT_EQ(dir.Cli({"--access", "driver"}).status, 2);
}

TEST(KelvaneCliAccessTest, ListsTheChipsTheCandidatesAndTheClaimsForABugReport) {
    CliDirectory dir;
    AddHwmonBuild(dir);
    SMachineTrees machine("0290-0297 : pnp 00:0a\n  0295-0296 : ACPI OpRegion\n");
    machine.hwmon.AddChip("w83791d", 1);
    machine.hwmon.AddChip("coretemp", 4);

    const Outcome text = dir.Cli(With({"--list-chips"}, machine.Options()));
    ASSERT_EQ(text.status, 0) << text.err;
    for (const std::string& expected : std::vector<std::string>{
             "Chip access: hwmon: kernel driver w83791d", "hwmon1  w83791d  /sys" + CHwmonFixture::DevicePath("w83791d") +
                                                           "  driver w83791d  supported, path hwmon",
          std::string("hwmon4  coretemp  "), std::string("not supported"),
          std::string("ISA base 0x290 (ports 0295-0296): claimed by the firmware ACPI OpRegion (0295-0296)")}) {
        EXPECT_NE(text.out.find(expected), std::string::npos) << expected << "\n" << text.out;
    }

    const Outcome json = dir.Cli(With({"--list-chips", "--json"}, machine.Options()));
    ASSERT_EQ(json.status, 0) << json.err;
    const std::optional<Json> report = JsonReader(json.out.substr(0, json.out.find('\n'))).Document();
    ASSERT_TRUE(report && report->type == Json::Type::kObject) << json.out;
    EXPECT_EQ((*report)["access"]["path"].text, "hwmon");
    ASSERT_EQ((*report)["hwmon"].items.size(), 2u);
    const std::vector<Json>& chips = (*report)["hwmon"].items;
    const Json& chip = chips[0]["name"].text == "w83791d" ? chips[0] : chips[1];
    EXPECT_EQ(chip["driver"].text, "w83791d");
    EXPECT_TRUE(chip["supported"].boolean);
    EXPECT_TRUE((*report)["isa"].items.at(0)["claims"].items.at(0)["firmware"].boolean);

    // Nothing found: the simulator, and the report says why.
    SMachineTrees empty;
    const Outcome none = dir.Cli(With({"--list-chips"}, empty.Options()));
    ASSERT_EQ(none.status, 0) << none.err;
    EXPECT_NE(none.out.find("Chip access: simulator: SIMULATED chip"), std::string::npos) << none.out;
    EXPECT_NE(none.out.find("no kernel driver of a supported chip is bound"), std::string::npos) << none.out;
}
