// The cost of chip traffic on the simulator: one register transfer (address
// phase + data phase, each a locked update of the shared state file) and one
// banked read as the program does it (bank selection = a read and a write of
// 0x4E, then the register). A monitoring tick makes roughly 60 such transfers.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "accesslib/Wbcdflsh.h"

namespace {

// A private copy of the simulator library in a temporary directory, so the
// benchmark never touches the program directory's chip.
class PrivateSimulator {
 public:
  PrivateSimulator() {
    char exe[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (length <= 0) return;
    const auto programDirectory = std::filesystem::path(std::string(exe, static_cast<size_t>(length))).parent_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    m_directory = pattern;
    std::error_code error;
    std::filesystem::copy_file(programDirectory / "libWbcdflsh.so", m_directory + "/libWbcdflsh.so", error);
    if (error) return;
    m_handle = ::dlopen((m_directory + "/libWbcdflsh.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) return;
    in = reinterpret_cast<InPortBFn>(::dlsym(m_handle, "InPortB"));
    out = reinterpret_cast<OutPortBFn>(::dlsym(m_handle, "OutPortB"));
  }
  ~PrivateSimulator() {
    if (m_handle) ::dlclose(m_handle);
    std::error_code ignored;
    if (!m_directory.empty()) std::filesystem::remove_all(m_directory, ignored);
  }
  bool Ready() const { return in && out; }
  uint8_t Read(uint8_t reg) {
    int16_t error = 0;
    out(kChipAddressPort, reg, &error);
    return in(kChipDataPort, &error);
  }
  void Write(uint8_t reg, uint8_t value) {
    int16_t error = 0;
    out(kChipAddressPort, reg, &error);
    out(kChipDataPort, value, &error);
  }

  InPortBFn in = nullptr;
  OutPortBFn out = nullptr;

 private:
  std::string m_directory;
  void* m_handle = nullptr;
};

void BM_SimulatorRegisterRead(benchmark::State& state) {
  PrivateSimulator sim;
  if (!sim.Ready()) {
    state.SkipWithError("simulator library not found beside the benchmark");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(sim.Read(0x20));
}
BENCHMARK(BM_SimulatorRegisterRead);

void BM_SimulatorBankedRead(benchmark::State& state) {
  PrivateSimulator sim;
  if (!sim.Ready()) {
    state.SkipWithError("simulator library not found beside the benchmark");
    return;
  }
  for (auto _ : state) {
    const uint8_t bank = sim.Read(0x4E);
    sim.Write(0x4E, static_cast<uint8_t>(1 | (bank & 0x80)));
    benchmark::DoNotOptimize(sim.Read(0x50));
  }
}
BENCHMARK(BM_SimulatorBankedRead);

}  // namespace

BENCHMARK_MAIN();
