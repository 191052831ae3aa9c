// One monitoring tick (the engine's UpdateAll, as timer 1 runs it) on the
// chip simulator in the process, and the same tick through kelvane-chipd and
// its client build of libWbcdflsh.so, with the service's round trips per
// tick. Ticks are 2.5 s apart in the program, longer than the client's read
// cache lives, so each measured tick starts with an expired cache.
#include <chrono>
#include <thread>

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

}  // namespace

BENCHMARK(BM_TickInProcessSimulator)->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickThroughChipService)->Iterations(20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
