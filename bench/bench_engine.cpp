// The engine's cost on the chip simulator: one monitoring tick (UpdateAll
// over the eighteen items of the reference board, Smart Fan included), one
// register read through the simulator library under the real chip lock, and
// a one-shot run as kelvane-cli makes it (start on a fresh profile store,
// one tick, hand-back of the chip).
// Critical sections are counted at the lock, which each takes once: a single
// transfer, or a bank selection with the transfers in that bank. Power-off,
// message boxes and the clock are test doubles.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "engine/CAccessLibrary.h"
#include "engine/CHardwareMonitor.h"
#include "engine/CMonitorChip.h"
#include "platform/CFileChipLock.h"
#include "platform/CManualClock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/IChipLock.h"
#include "platform/ILibraryLoader.h"

namespace fs = std::filesystem;

namespace {

// The real lock, counting the critical sections it guards.
class CountingLock : public IChipLock {
public:
    explicit CountingLock(IChipLock& inner) : m_inner(inner) {}
    ChipLockResult Acquire() override {
        ++lockHolds;
        return m_inner.Acquire();
    }
    void Release() override { m_inner.Release(); }
    int64_t lockHolds = 0;

private:
    IChipLock& m_inner;
};

// Opens the library copy of one directory whatever bare name is asked for.
class DirectoryLoader : public ILibraryLoader {
public:
    explicit DirectoryLoader(std::string directory) : m_directory(std::move(directory)) {}
    void* Open(const std::string& name) override {
        return ::dlopen((m_directory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    void* Symbol(void* handle, const char* name) override { return handle ? ::dlsym(handle, name) : nullptr; }
    void Close(void* handle) override {
        if (handle) ::dlclose(handle);
    }

private:
    std::string m_directory;
};

// A private program directory: the simulator library, the descriptors and the
// board defaults, a registry hive and a lock file of its own.
class PrivateProgram {
public:
    PrivateProgram() {
        const fs::path build = fs::read_symlink("/proc/self/exe").parent_path();
        std::string pattern = (fs::temp_directory_path() / "kelvane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        m_directory = pattern;
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(build, error)) {
            const std::string name = entry.path().filename().string();
            if ((name.starts_with("W83") && name.ends_with(".ini")) || name == "def.ini" || name == "libWbcdflsh.so") {
                fs::copy_file(entry.path(), m_directory + "/" + name, error);
            }
        }
        m_ready = fs::exists(m_directory + "/libWbcdflsh.so") && fs::exists(m_directory + "/def.ini");
        loader = std::make_unique<DirectoryLoader>(m_directory);
        fileLock = std::make_unique<CFileChipLock>(m_directory + "/Dravik_SM_Event");
        lock = std::make_unique<CountingLock>(*fileLock);
        registry = std::make_unique<CRegistryKey>(m_directory + "/registry.db", kHkeyLocalMachine);
    }
    ~PrivateProgram() {
        std::error_code ignored;
        if (!m_directory.empty()) fs::remove_all(m_directory, ignored);
    }
    bool Ready() const { return m_ready; }

    // profile: the store to read the program's files through; null for the
    // program's own.
    std::unique_ptr<CHardwareMonitor> StartEngine(IPrivateProfile* store = nullptr) {
        auto engine = std::make_unique<CHardwareMonitor>(
            CEngineSeams{*loader, *lock, box, store ? *store : profile, *registry, clock, powerOff, m_directory});
        engine->SetUseDefaultFiles(true);
        engine->SetUsePreferenceFile(false);
        engine->SetPaths("");
        if (!engine->StartMonitoring()) return nullptr;
        return engine;
    }

    std::unique_ptr<DirectoryLoader> loader;
    std::unique_ptr<CFileChipLock> fileLock;
    std::unique_ptr<CountingLock> lock;
    std::unique_ptr<CRegistryKey> registry;
    CRecordingMessageBox box;
    CPrivateProfile profile;
    CManualClock clock;
    CRecordingPowerOff powerOff;

private:
    std::string m_directory;
    bool m_ready = false;
};

void BM_EngineUpdateAll(benchmark::State& state) {
    PrivateProgram program;
    if (!program.Ready()) {
        state.SkipWithError("simulator library or board files not found beside the benchmark");
        return;
    }
    auto engine = program.StartEngine();
    if (!engine) {
        state.SkipWithError("the engine did not start on the simulator");
        return;
    }
    engine->UpdateAll();
    const int64_t before = program.lock->lockHolds;
    for (auto _ : state) {
        engine->UpdateAll();
        benchmark::DoNotOptimize(engine->Item(0)->Value());
    }
    const double ticks = static_cast<double>(state.iterations());
    state.counters["lock holds/tick"] = static_cast<double>(program.lock->lockHolds - before) / ticks;
    state.counters["ticks/s"] = benchmark::Counter(ticks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EngineUpdateAll)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_EngineRegisterRead(benchmark::State& state) {
    PrivateProgram program;
    if (!program.Ready()) {
        state.SkipWithError("simulator library not found beside the benchmark");
        return;
    }
    CAccessLibrary library(*program.loader);
    CMonitorChip chip(*program.lock, program.box);
    chip.AttachLibrary(&library);
    if (!chip.DetectChip()) {
        state.SkipWithError("no simulated chip");
        return;
    }
    const int64_t before = program.lock->lockHolds;
    for (auto _ : state) benchmark::DoNotOptimize(chip.ReadRegister(0x20));
    state.counters["lock holds/s"] =
        benchmark::Counter(static_cast<double>(program.lock->lockHolds - before), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EngineRegisterRead)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_EngineOneShotRun(benchmark::State& state) {
    PrivateProgram program;
    if (!program.Ready()) {
        state.SkipWithError("simulator library or board files not found beside the benchmark");
        return;
    }
    int64_t opens = 0;
    for (auto _ : state) {
        CPrivateProfile profile({}, [&opens](const std::string& path, int flags) {
            ++opens;
            return ::open(path.c_str(), flags);
        });
        auto engine = program.StartEngine(&profile);
        if (!engine) {
            state.SkipWithError("the engine did not start on the simulator");
            return;
        }
        engine->UpdateAll();
        benchmark::DoNotOptimize(engine->Item(0)->Value());
    }
    state.counters["profile opens/run"] = static_cast<double>(opens) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_EngineOneShotRun)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
