// The simulated chip's state file "simchip.state": a fixed-size SimChipState
// mapped into every process that uses the simulator, so that several
// processes (the program, a second copy, kelvane-simctl) drive one chip, as
// they would drive one piece of hardware. Every access holds the robust,
// process-shared mutex inside the mapping (no system call unless another
// process holds it; a holder's death frees it); creating, sizing and
// rebuilding the file hold an exclusive flock on it instead, since the mutex
// is only valid in a valid file. The file is created from simchip.ini when it
// is missing, and recreated when its size, magic or version do not match; an
// edit of simchip.ini reaches the running chip at its first access a quarter
// of a second after the last look at it (a process's first access always
// looks).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "accesslib/SimChipState.h"

class CStateFile {
 public:
  static constexpr const char* kFileName = "simchip.state";

  // directory: where simchip.ini and simchip.state live (the library's own
  // directory, or the one kelvane-simctl is pointed at).
  explicit CStateFile(std::string directory);
  ~CStateFile();
  CStateFile(const CStateFile&) = delete;
  CStateFile& operator=(const CStateFile&) = delete;

  std::string StatePath() const;
  std::string ConfigPath() const;

  // Runs action(SimChipState&) under the state's lock on a validated
  // mapping. False, without calling action, when the state file cannot be
  // opened, sized or mapped.
  template <class Action>
  bool WithState(Action&& action) {
    std::lock_guard<std::mutex> guard(m_mutex);
    SimChipState* state = Acquire();
    if (!state) return false;
    // The lock is given back however action ends.
    struct Releaser {
      CStateFile* file;
      ~Releaser() { file->Release(); }
    } releaser{this};
    action(*state);
    return true;
  }

  // Under the lock: settings from simchip.ini again, every register to its
  // power-on value, the phase counters cleared.
  bool Reset();

 private:
  // The mapping with its lock held, validated and following simchip.ini.
  SimChipState* Acquire();
  void Release();
  bool OpenAndMap();
  void Close();
  // Under the file's flock: the size restored and a state that is not one
  // (or whose lock is no lock: withLock) rebuilt, lock included.
  bool Repair(bool withLock);
  // Takes the mutex in the mapping; false when its bytes are no lock.
  bool LockState();
  // Power-on state from simchip.ini; the header and the lock are left alone.
  void Initialise(SimChipState& state);
  void FollowConfig(SimChipState& state);

  std::string m_directory;
  std::mutex m_mutex;
  int m_fd = -1;
  SimChipState* m_state = nullptr;
  // The process that opened the file: a child after fork opens its own
  // descriptor, since a shared one would share the parent's lock.
  pid_t m_owner = 0;
  // When this process last compared simchip.ini with the state's record of
  // it (monotonic nanoseconds).
  bool m_configChecked = false;
  int64_t m_configCheckedAt = 0;
};
