#include "accesslib/ProcessId.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace {

std::atomic<pid_t> g_pid{0};

// In the child of fork the remembered id is the parent's: forget it.
void ForgetInChild() { g_pid.store(0, std::memory_order_relaxed); }

}  // namespace

pid_t CurrentProcessId() {
  pid_t pid = g_pid.load(std::memory_order_relaxed);
  if (pid != 0) return pid;
  static std::once_flag registered;
  std::call_once(registered, [] { ::pthread_atfork(nullptr, nullptr, ForgetInChild); });
  pid = ::getpid();
  g_pid.store(pid, std::memory_order_relaxed);
  return pid;
}
