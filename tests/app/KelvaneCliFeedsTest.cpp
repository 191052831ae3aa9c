// kelvane-cli's history and metrics as a user and a Prometheus server see
// them: the built program on a private program directory with its own copy
// of the chip simulator, its HTTP endpoint on the loopback address only.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/CSystemInfo.h"
#include "support/CTempDir.h"

namespace fs = std::filesystem;

namespace {

struct SOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CFeedsDirectory {
public:
    CFeedsDirectory() {
        const fs::path build = fs::read_symlink("/proc/self/exe").parent_path();
        for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("W83") && name.ends_with(".ini")) fs::copy_file(entry.path(), m_dir.File(name));
        }
        fs::copy_file(build / "def.ini", m_dir.File(CSystemInfo("/").GetBoardName() + "def.ini"));
        fs::copy_file(build / "kelvane-cli", m_dir.File("kelvane-cli"));
        fs::copy_file(build / "libWbcdflsh.so", m_dir.File("libWbcdflsh.so"));
        CTempDir::Write(m_dir.File("simchip.ini"), "[Chip]\nModel=W83782D\n");
    }
    std::string File(const std::string& name) const { return m_dir.File(name); }

    pid_t Start(const std::vector<std::string>& arguments) const {
        std::vector<std::string> words{m_dir.File("kelvane-cli"), "--lock", m_dir.File("chip.lock")};
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
    SOutcome Finish(pid_t pid) const {
        SOutcome outcome;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
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
    SOutcome Cli(const std::vector<std::string>& arguments) const { return Finish(Start(arguments)); }
    std::string Stderr() const { return CTempDir::Read(m_dir.File("stderr.txt")); }

private:
    CTempDir m_dir;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// promtool's verdict ("0:" when content), nothing without promtool.
std::optional<std::string> Promtool(const std::string& file) {
    if (!fs::exists("/usr/bin/promtool")) return std::nullopt;
    const std::string report = file + ".check";
    const int status = std::system(("/usr/bin/promtool check metrics < " + file + " > " + report + " 2>&1").c_str());
    return std::to_string(status) + ":" + CTempDir::Read(report);
}

int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// One response (its head and Content-Length bytes of body), or what came
// before the server closed (or fell silent for 5 s).
std::string ReadAll(int fd) {
    std::string reply;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) {
        reply.append(buffer, static_cast<std::size_t>(n));
        const std::size_t head = reply.find("\r\n\r\n");
        if (head == std::string::npos) continue;
        std::smatch length;
        const std::string headers = reply.substr(0, head);
        if (!std::regex_search(headers, length, std::regex("[Cc]ontent-[Ll]ength: *(\\d+)"))) break;
        if (reply.size() >= head + 4 + std::stoul(length[1])) break;
    }
    return reply;
}

std::string Exchange(int port, const std::string& request) {
    const int fd = Connect(port);
    if (fd < 0) return "no connection";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    const std::string reply = ReadAll(fd);
    ::close(fd);
    return reply;
}

std::string Get(const std::string& path, const std::string& method = "GET") {
    return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

}  // namespace

TEST(KelvaneCliFeeds, AWatchIsRecordedAndTheHistoryExportsAsCsvAndJson) {
    CFeedsDirectory dir;
    const SOutcome watch = dir.Cli({"--watch", "0.05", "--count", "4"});
    ASSERT_EQ(watch.status, 0) << watch.err;
    ASSERT_TRUE(fs::exists(dir.File("history.db")));

    const SOutcome csv = dir.Cli({"--history", "--csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> rows = Lines(csv.out);
    ASSERT_EQ(rows.size(), 5u) << csv.out;
    EXPECT_TRUE(rows[0].starts_with("time,VCore (V),")) << rows[0];
    EXPECT_NE(rows[0].find(" (\xC2\xB0" "C)"), std::string::npos) << rows[0];
    EXPECT_NE(rows[0].find(" (RPM)"), std::string::npos) << rows[0];
    const std::regex row(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d(,-?\d+(\.\d+)?)+)");
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];

    const SOutcome json = dir.Cli({"--history", "--json", "--since", "1h", "--items", "temp2,VCore", "--fahrenheit"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"item\":\"TEMP2\""), std::string::npos);
    EXPECT_NE(json.out.find("\"item\":\"VOLT1\""), std::string::npos);
    EXPECT_EQ(json.out.find("\"item\":\"FAN1\""), std::string::npos);
    // The simulated TEMP2 reads 45.5 C.
    EXPECT_NE(json.out.find("\"unit\":\"\xC2\xB0" "F\",\"resolution\":\"reading\",\"bucket_seconds\":0,\"points\":[{\"time\""),
              std::string::npos);
    EXPECT_NE(json.out.find("\"value\":113.9}"), std::string::npos) << json.out;
}

TEST(KelvaneCliFeeds, BadHistoryAndMetricsOptionsAreRefusedWithExitTwo) {
    CFeedsDirectory dir;
    CTempDir::Write(dir.File("plain"), "x");
    // No history yet.
    EXPECT_EQ(dir.Cli({"--history"}).status, 2);
    ASSERT_EQ(dir.Cli({"--watch", "0.05", "--count", "1"}).status, 0);
    const std::vector<std::vector<std::string>> bad = {
        {"--history", "--since", "24x"},
        {"--history", "--since", "0h"},
        {"--history", "--from", "2026-13-01"},
        {"--history", "--from", "2026-12-09", "--to", "2026-12-08"},
        {"--history", "--to", "noon"},
        {"--history", "--since", "1h", "--from", "2026-12-09"},
        {"--history", "--items", "TEMP9"},
        {"--history", "--csv", "--json"},
        {"--history", "--watch", "1"},
        {"--since", "24h"},
        {"--prometheus", "--textfile", dir.File("missing")},
        {"--prometheus", "--textfile", dir.File("plain")},
        {"--listen", "localhost:9100"},
        {"--listen", "127.0.0.1:70000"},
        {"--prometheus", "--json"},
    };
    for (const auto& arguments : bad) {
        std::string words;
        for (const auto& w : arguments) words += w + " ";
        const SOutcome outcome = dir.Cli(arguments);
        EXPECT_EQ(outcome.status, 2) << words;
        EXPECT_EQ(outcome.out, "") << words;
        EXPECT_NE(outcome.err.find("kelvane-cli: "), std::string::npos) << words << outcome.err;
    }
    EXPECT_NE(dir.Cli({"--history", "--items", "TEMP9"}).err.find("TEMP1 ("), std::string::npos);
}

TEST(KelvaneCliFeeds, TheExpositionOnStdoutAndInTheTextfilePassesPromtool) {
    CFeedsDirectory dir;
    const SOutcome once = dir.Cli({"--prometheus"});
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_NE(once.out.find("\nkelvane_temperature_celsius{chip=\"W83782D\",item=\"TEMP2\",name=\""), std::string::npos);
    CTempDir::Write(dir.File("once.prom"), once.out);
    const std::optional<std::string> verdict = Promtool(dir.File("once.prom"));
    if (!verdict) GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
    EXPECT_EQ(*verdict, "0:");

    fs::create_directory(dir.File("textfiles"));
    const SOutcome watch = dir.Cli({"--prometheus", "--watch", "0.05", "--count", "3", "--textfile", dir.File("textfiles")});
    ASSERT_EQ(watch.status, 0) << watch.err;
    EXPECT_EQ(watch.out, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("textfiles")), {}), 1) << "kelvane.prom and nothing else";
    EXPECT_EQ(Promtool(dir.File("textfiles/kelvane.prom")), "0:");
}

TEST(KelvaneCliFeeds, TheEndpointServesOnlyGetMetricsWithinItsBounds) {
    CFeedsDirectory dir;
    const pid_t pid = dir.Start({"--listen", "127.0.0.1:0", "--watch", "0.1"});
    int port = 0;
    for (int i = 0; i < 200 && port == 0; ++i) {
        std::smatch match;
        const std::string err = dir.Stderr();
        if (std::regex_search(err, match, std::regex(R"(serving http://127\.0\.0\.1:(\d+)/metrics)"))) port = std::stoi(match[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_NE(port, 0) << dir.Stderr();
    // The first reading is published before long.
    std::string reply;
    for (int i = 0; i < 100 && reply.find("kelvane_info{") == std::string::npos; ++i) {
        reply = Exchange(port, Get("/metrics"));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(reply.starts_with("HTTP/1.1 200")) << reply;
    EXPECT_NE(reply.find("text/plain; version=0.0.4"), std::string::npos);
    EXPECT_NE(reply.find("\r\n\r\n# HELP kelvane_info"), std::string::npos);

    for (const std::string& request : {Get("/"), Get("/metrics/x"), Get("/metrics", "POST"), Get("/metrics", "DELETE")})
        EXPECT_TRUE(Exchange(port, request).starts_with("HTTP/1.1 404")) << request;
    // A request beyond the bound is cut off unanswered.
    EXPECT_EQ(Exchange(port, "GET /metrics HTTP/1.1\r\nX-Padding: " + std::string(64 * 1024, 'a') + "\r\n\r\n"), "");

    // Connections beyond the bound are closed at once; those within stay.
    std::vector<int> held;
    for (int i = 0; i < 8; ++i) held.push_back(Connect(port));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int extra = Connect(port);
    EXPECT_EQ(ReadAll(extra), "");
    ::close(extra);
    ::send(held[0], Get("/metrics").data(), Get("/metrics").size(), MSG_NOSIGNAL);
    EXPECT_TRUE(ReadAll(held[0]).starts_with("HTTP/1.1 200"));
    for (int fd : held) ::close(fd);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(Exchange(port, Get("/metrics")).starts_with("HTTP/1.1 200"));

    ::kill(pid, SIGTERM);
    EXPECT_EQ(dir.Finish(pid).status, 0);
}
