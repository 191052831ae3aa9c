// One monitoring tick (the engine's UpdateAll) over the hwmon build of
// libWbcdflsh.so on a generated sysfs tree of the reference board's chip
// (w83782d), beside the same tick on the chip simulator in the process.
// Ticks are 2.5 s apart in the program, longer than the hwmon build keeps an
// attribute, so each measured tick starts with every attribute read again.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include <benchmark/benchmark.h>

#include "accesslib/hwmon/CHwmonChip.h"
#include "accesslib/hwmon/CHwmonScanner.h"
#include "tests/accesslib/CHwmonFixture.h"
#include "tests/engine/SimulatorProgram.h"

namespace {

constexpr auto kPastTheCache = std::chrono::milliseconds(CHwmonChip::kAttributeLifetimeMs + 10);

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

void BM_TickOverHwmonBuild(benchmark::State& state) {
    CTempDir root;
    CHwmonFixture sysfs(root.Path());
    sysfs.AddChip("w83782d", 0);
    ::setenv(CHwmonScanner::kRootVariable, root.Path().c_str(), 1);
    SimulatorProgram program;
    std::filesystem::copy_file(BuildProgramDirectory() + "/hwmon/libWbcdflsh.so",
                               program.Directory() + "/libWbcdflsh.so",
                               std::filesystem::copy_options::overwrite_existing);
    bool started = false;
    auto engine = program.StartEngine(&started);
    ::unsetenv(CHwmonScanner::kRootVariable);
    if (!started) {
        state.SkipWithError("the engine did not start over the hwmon build");
        return;
    }
    RunTicks(state, *engine);
}

}  // namespace

BENCHMARK(BM_TickInProcessSimulator)->Iterations(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickOverHwmonBuild)->Iterations(10)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
