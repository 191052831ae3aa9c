// The simulator's state shared between processes: every access excludes the
// accesses of all other processes, a process killed inside an access does
// not block the chip, and a state damaged by hand is rebuilt. Each process
// here opens its own CStateFile on one directory, as each program that loads
// the simulator does.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "accesslib/CStateFile.h"
#include "support/CTempDir.h"

namespace {

// A 32-bit counter in four bytes of the register file, written directly.
constexpr int kCounterRegister = 0x80;

uint32_t CounterOf(const SimChipState& state) {
  uint32_t value = 0;
  std::memcpy(&value, &state.regs[0][kCounterRegister], sizeof value);
  return value;
}

// A read-modify-write with time between the read and the write, so that two
// accesses not excluding each other lose updates at once.
void Increment(SimChipState& state) {
  const uint32_t value = CounterOf(state);
  for (int spin = 0; spin < 500; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
  const uint32_t next = value + 1;
  std::memcpy(&state.regs[0][kCounterRegister], &next, sizeof next);
}

// Waits up to timeout for the child; kills it (it is ours) when it does not end.
bool EndedWithin(pid_t child, std::chrono::milliseconds timeout, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(child, &status, WNOHANG) == child) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(child, SIGKILL);
  ::waitpid(child, &status, 0);
  return false;
}

TEST(StateFileLockTest, AccessesOfSeveralProcessesLoseNoUpdate) {
  CTempDir dir;
  constexpr int kProcesses = 3;
  constexpr uint32_t kIncrements = 20000;
  {
    CStateFile file(dir.Path());
    ASSERT_TRUE(file.WithState([](SimChipState& state) { std::memset(&state.regs[0][kCounterRegister], 0, 4); }));
  }
  // The children start together: each waits until the pipe is closed.
  int start[2];
  ASSERT_EQ(::pipe(start), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(start[1]);
      char ignored = 0;
      while (::read(start[0], &ignored, 1) < 0 && errno == EINTR) {
      }
      CStateFile file(dir.Path());
      bool ok = true;
      for (uint32_t n = 0; n < kIncrements; ++n) ok = file.WithState(Increment) && ok;
      ::_exit(ok ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    children.push_back(child);
  }
  ::close(start[0]);
  ::close(start[1]);
  for (pid_t child : children) {
    int status = 0;
    ASSERT_TRUE(EndedWithin(child, std::chrono::seconds(60), status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CStateFile file(dir.Path());
  uint32_t counter = 0;
  ASSERT_TRUE(file.WithState([&](SimChipState& state) { counter = CounterOf(state); }));
  EXPECT_EQ(counter, kProcesses * kIncrements);
}

TEST(StateFileLockTest, AProcessKilledInsideAnAccessDoesNotBlockTheOthers) {
  CTempDir dir;
  CStateFile file(dir.Path());
  ASSERT_TRUE(file.WithState([](SimChipState& state) { state.users = 7; }));
  const pid_t dying = ::fork();
  if (dying == 0) {
    CStateFile own(dir.Path());
    own.WithState([](SimChipState& state) {
      state.users = 8;
      ::raise(SIGKILL);
    });
    ::_exit(0);
  }
  ASSERT_GT(dying, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(dying, &status, 0), dying);
  ASSERT_TRUE(WIFSIGNALED(status));

  // Another process and this one reach the chip at once, and see what the
  // dead one wrote before it died.
  const pid_t next = ::fork();
  if (next == 0) {
    CStateFile own(dir.Path());
    int16_t users = 0;
    const bool ok = own.WithState([&](SimChipState& state) { users = state.users++; });
    ::_exit(ok && users == 8 ? 0 : 1);
  }
  ASSERT_GT(next, 0);
  ASSERT_TRUE(EndedWithin(next, std::chrono::seconds(5), status)) << "the dead holder's lock was not freed";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  int16_t users = 0;
  EXPECT_TRUE(file.WithState([&](SimChipState& state) { users = state.users; }));
  EXPECT_EQ(users, 9);
}

}  // namespace
