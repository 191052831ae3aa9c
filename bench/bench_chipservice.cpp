// One monitoring tick (the engine's UpdateAll, as timer 1 runs it) on the
// chip simulator in the process, and the same tick through kelvane-chipd and
// its client build of libWbcdflsh.so, with the service's round trips per
// tick. Ticks are 2.5 s apart in the program, longer than the client's read
// cache lives, so each measured tick starts with an expired cache.
//
// BM_ReadLatencyUnderAttack: one member reads while another user holds 8
// clients that never read their replies, 50 that send half a frame and 1000
// connections; it reports the member's read latency (p50, p99, max in ms)
// and how long kelvane-cli --watch 1 takes per reading meanwhile. Run as
// root, the attack runs as the user nobody with the service's group, so
// that the per-user cap is the attacker's alone.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "accesslib/client/CServiceConnection.h"
#include "tests/chipd/CServiceProcess.h"
#include "tests/engine/SimulatorProgram.h"

namespace {

constexpr auto kPastTheCache = std::chrono::milliseconds(260);

uint32_t FramesServed(const std::string& socket) {
    CServiceConnection connection(socket);
    ChipFrame::CRequest request;
    request.op = ChipFrame::kStats;
    ChipFrame::CResponse response;
    if (!connection.RoundTrip(request, response) || response.data.size() != 4) return 0;
    return response.data[0] | response.data[1] << 8 | response.data[2] << 16 | uint32_t(response.data[3]) << 24;
}

void RunTicks(benchmark::State& state, CHardwareMonitor& engine) {
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(kPastTheCache);
        state.ResumeTiming();
        engine.UpdateAll();
    }
}

void BM_TickInProcessSimulator(benchmark::State& state) {
    SimulatorProgram program;
    bool started = false;
    auto engine = program.StartEngine(&started);
    if (!started) {
        state.SkipWithError("the engine did not start");
        return;
    }
    RunTicks(state, *engine);
}

void BM_TickThroughChipService(benchmark::State& state) {
    SimulatorProgram program;
    CServiceProcess service({program.Directory(), "", "", "", ""});
    if (!service.Started()) {
        state.SkipWithError("kelvane-chipd did not start");
        return;
    }
    CDirectoryLibraryLoader client(service.ClientDirectory());
    CEngineSeams seams = program.Seams();
    CHardwareMonitor engine(CEngineSeams{client, seams.lock, seams.messageBox, seams.profile, seams.registry,
                                         seams.clock, seams.powerOff, seams.programDirectory});
    engine.SetUseDefaultFiles(true);
    engine.SetUsePreferenceFile(false);
    engine.SetPaths("");
    if (!engine.StartMonitoring()) {
        state.SkipWithError("the engine did not start over the service");
        return;
    }
    engine.UpdateAll();
    const uint32_t before = FramesServed(service.SocketPath());
    RunTicks(state, engine);
    const uint32_t after = FramesServed(service.SocketPath());
    // The second statistics request counts itself.
    state.counters["round_trips_per_tick"] =
        static_cast<double>(after - before - 1) / static_cast<double>(state.iterations());
}

int Connect(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The attacking process: never returns; ended by its pid.
[[noreturn]] void Attack(const std::string& socket, gid_t group) {
    if (::geteuid() == 0) {
        const gid_t groups[] = {group};
        if (::setgroups(1, groups) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0) {
            ::_exit(3);
        }
    }
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    const std::vector<uint8_t> read = ChipFrame::EncodeRequest(ChipFrame::ReadRequest({1, 0x50}));
    std::vector<int> nonReaders, held;
    for (int i = 0; i < 8; ++i) nonReaders.push_back(Connect(socket));
    for (int i = 0; i < 50; ++i) {
        const int fd = Connect(socket);
        if (fd >= 0 && ::send(fd, read.data(), 3, MSG_NOSIGNAL) == 3) held.push_back(fd);
    }
    for (int i = 0; i < 1000; ++i) {
        int fd = -1;
        for (int attempt = 0; attempt < 100 && (fd = Connect(socket)) < 0; ++attempt) ::usleep(200);
        if (fd >= 0) held.push_back(fd);
    }
    for (;;) {
        // The non-readers keep asking; once dropped they come back.
        for (int& fd : nonReaders) {
            if (fd < 0 || ::send(fd, read.data(), read.size(), MSG_NOSIGNAL) < 0) {
                if (fd >= 0 && errno != EAGAIN) {
                    ::close(fd);
                    fd = Connect(socket);
                }
            }
        }
        ::usleep(100);
    }
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))];
}

void BM_ReadLatencyUnderAttack(benchmark::State& state) {
    SimulatorProgram program;
    CServiceProcess service({program.Directory(), "", "", "", ""});
    if (!service.Started()) {
        state.SkipWithError("kelvane-chipd did not start");
        return;
    }
    // The attacker (another user, with the service's group) reaches the socket.
    const std::string folder = std::filesystem::path(service.SocketPath()).parent_path().string();
    ::chmod(folder.c_str(), 0750);
    std::filesystem::copy(service.ClientDirectory(), program.Directory() + "/client");
    CServiceConnection member(service.SocketPath());
    ChipFrame::CResponse response;
    member.RoundTrip(ChipFrame::CRequest{}, response);

    for (auto _ : state) {
        const pid_t attacker = ::fork();
        if (attacker == 0) Attack(service.SocketPath(), ::getgid());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        // kelvane-cli --watch 1 through the service meanwhile.
        using Clock = std::chrono::steady_clock;
        double cliSeconds = 0;
        std::thread cli([&] {
            const std::string command = CServiceProcess::BuildDirectory() + "/kelvane-cli --watch 1 --count 4 --lock '" +
                                        program.Directory() + "/chip.lock' --dir '" + program.Directory() +
                                        "' >/dev/null 2>&1";
            const auto start = Clock::now();
            if (std::system(command.c_str()) == 0) cliSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        });
        std::vector<double> latencies;
        const auto until = Clock::now() + std::chrono::seconds(4);
        while (Clock::now() < until) {
            const auto start = Clock::now();
            if (!member.RoundTrip(ChipFrame::ReadRequest({1, 0x50}), response)) {
                state.SkipWithError("the member's read failed");
                break;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        cli.join();
        ::kill(attacker, SIGKILL);
        int status = 0;
        ::waitpid(attacker, &status, 0);
        state.counters["reads"] = static_cast<double>(latencies.size());
        state.counters["p50_ms"] = Percentile(latencies, 0.50);
        state.counters["p99_ms"] = Percentile(latencies, 0.99);
        state.counters["max_ms"] = Percentile(latencies, 1.0);
        // Four readings a second apart: three intervals plus the start.
        state.counters["cli_s_for_4_readings"] = cliSeconds;
        state.counters["attacker_other_user"] = ::geteuid() == 0 ? 1 : 0;
    }
}

}  // namespace

BENCHMARK(BM_TickInProcessSimulator)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickThroughChipService)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadLatencyUnderAttack)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
