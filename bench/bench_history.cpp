// The history's costs: the writer's per tick (eighteen items, one
// transaction), a 30-day read of one item from a generated database, the
// history window opening on those 30 days (built, read, laid out and
// painted offscreen), the size of five full years of eighteen items, and a
// GET /metrics answered over the loopback interface.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "history/CHistoryStore.h"
#include "history/CHistoryWriter.h"
#include "metrics/CMetricsExposition.h"
#include "tools/kelvane-cli/CMetricsServer.h"
#include "windows/history/CHistoryWindow.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kNow = 1796774400000LL;  // 2026-12-09T00:00:00Z
constexpr int64_t kTick = 2500;

struct Folder {
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "kelvane-bench-history-XXXXXX").string();
        path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

CReadingSnapshot EighteenItems(int64_t timeMs) {
    CReadingSnapshot snapshot;
    snapshot.timeMs = timeMs;
    snapshot.chip = "W83782D";
    snapshot.access = "library";
    using Kind = CReadingSnapshot::Kind;
    for (int i = 0; i < 18; ++i) {
        const Kind kind = i < 10 ? Kind::kVoltage : i < 13 ? Kind::kTemperature : Kind::kFan;
        const std::string key = i < 10 ? "VOLT" + std::to_string(i + 1) : i < 13 ? "TEMP" + std::to_string(i - 9) : "FAN" + std::to_string(i - 12);
        const double value = kind == Kind::kVoltage ? 1.2 + 0.01 * (timeMs / kTick % 17) : kind == Kind::kTemperature ? 40.0 + (timeMs / kTick % 9) : 2000.0 + (timeMs / kTick % 31);
        snapshot.items.push_back({key, key, kind, true, value, value + 10, value - 10, false});
    }
    return snapshot;
}

// Rows straight into the tables the store made: what years of ticks would
// leave behind, in seconds instead of years.
void Generate(const std::string& path, int items, int64_t rawMs, int64_t minuteMs, int64_t hourMs) {
    {
        CHistoryWriter writer(path, nullptr);
        CReadingSnapshot first = EighteenItems(kNow);
        first.items.resize(static_cast<std::size_t>(items));
        writer.Record(first);
    }
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* raw = nullptr;
    sqlite3_stmt* minute = nullptr;
    sqlite3_stmt* hour = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO raw VALUES(?, ?, ?)", -1, &raw, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO minute VALUES(?, ?, ?, ?, ?, ?)", -1, &minute, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO hour VALUES(?, ?, ?, ?, ?, ?)", -1, &hour, nullptr);
    const auto row = [](sqlite3_stmt* stmt, int64_t id, int64_t t, int64_t n, int64_t value) {
        sqlite3_bind_int64(stmt, 1, id);
        sqlite3_bind_int64(stmt, 2, t);
        if (n > 0) {
            sqlite3_bind_int64(stmt, 3, n);
            sqlite3_bind_int64(stmt, 4, value - 500);
            sqlite3_bind_int64(stmt, 5, value * n);
            sqlite3_bind_int64(stmt, 6, value + 500);
        } else {
            sqlite3_bind_int64(stmt, 3, value);
        }
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    };
    for (int64_t id = 1; id <= items; ++id) {
        const int64_t base = id <= 10 ? 1500 : id <= 13 ? 45000 : 2000000;
        for (int64_t t = kNow - rawMs; t < kNow; t += kTick) row(raw, id, t, 0, base + (t / kTick) % 97);
        for (int64_t t = (kNow - minuteMs) / 1000; t < kNow / 1000; t += 60) row(minute, id, t, 24, base + (t / 60) % 89);
        for (int64_t t = (kNow - hourMs) / 1000; t < kNow / 1000; t += 3600) row(hour, id, t, 1440, base + (t / 3600) % 83);
    }
    sqlite3_finalize(raw);
    sqlite3_finalize(minute);
    sqlite3_finalize(hour);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QApplication& Application() {
    static int argc = 1;
    static char name[] = "bench_history";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

void BM_WriterTickOfEighteenItems(benchmark::State& state) {
    Folder folder;
    std::string message;
    CHistoryWriter writer(folder.path + "/history.db", [&](const std::string& m) { message = m; });
    int64_t t = kNow;
    for (auto _ : state) benchmark::DoNotOptimize(writer.Record(EighteenItems(t += kTick)));
    if (writer.GetState() != CHistoryWriter::State::kWriting) state.SkipWithError(message.c_str());
}
BENCHMARK(BM_WriterTickOfEighteenItems)->Unit(benchmark::kMicrosecond);

struct ThirtyDays {
    ThirtyDays() { Generate(path, 1, CHistoryStore::kRawKeepMs, 30 * CHistoryStore::kDayMs, 30 * CHistoryStore::kDayMs); }
    Folder folder;
    std::string path = folder.path + "/history.db";
};

void BM_ReadThirtyDaysOfOneItem(benchmark::State& state) {
    ThirtyDays data;
    CHistoryStore store;
    std::string error;
    store.Open(data.path, CHistoryStore::Mode::kRead, error);
    const CHistoryStore::SItem item = store.Items().front();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Read(item, kNow - 30 * CHistoryStore::kDayMs, kNow, kNow, CHistoryWindow::kMaxPoints));
}
BENCHMARK(BM_ReadThirtyDaysOfOneItem)->Unit(benchmark::kMillisecond);

void BM_HistoryWindowOpensThirtyDays(benchmark::State& state) {
    Application();
    ThirtyDays data;
    for (auto _ : state) {
        CHistoryWindow window(data.path, false, [] { return kNow; });
        window.ChooseItems({"VOLT1"});
        window.ShowSpan(CHistoryWindow::Span::kMonth);
        window.show();
        benchmark::DoNotOptimize(window.grab());
    }
}
BENCHMARK(BM_HistoryWindowOpensThirtyDays)->Unit(benchmark::kMillisecond);

void BM_FiveYearsOfEighteenItems(benchmark::State& state) {
    for (auto _ : state) {
        Folder folder;
        const std::string path = folder.path + "/history.db";
        Generate(path, 18, CHistoryStore::kRawKeepMs, CHistoryStore::kMinuteKeepMs, CHistoryStore::kHourKeepMs);
        state.counters["MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
    }
}
BENCHMARK(BM_FiveYearsOfEighteenItems)->Unit(benchmark::kSecond)->Iterations(1);

void BM_MetricsRequest(benchmark::State& state) {
    CMetricsServer server;
    std::string error;
    if (!server.Start("127.0.0.1", 0, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    server.Publish(CMetricsExposition::Text(EighteenItems(kNow), "bench"));
    const std::string request = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(server.Port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::send(fd, request.data(), request.size(), 0);
        char buffer[16384];
        std::size_t received = 0;
        ssize_t n = 0;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) received += static_cast<std::size_t>(n);
        ::close(fd);
        benchmark::DoNotOptimize(received);
    }
}
BENCHMARK(BM_MetricsRequest)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
