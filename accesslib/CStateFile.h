// The simulated chip's state file "simchip.state": a fixed-size SimChipState
// mapped into every process that uses the simulator, guarded by an exclusive
// flock on the same file, so that several processes (the program, a second
// copy, kelvane-simctl) drive one chip, as they would drive one piece of
// hardware. The file is created from simchip.ini when it is missing, and
// recreated when its size, magic or version do not match; an edit of
// simchip.ini reaches the running chip at its first access a quarter of a
// second after the last look at it (a process's first access always looks).
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

  // Runs action(SimChipState&) under the simulator's lock on a validated
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
  SimChipState* Acquire();
  void Release();
  bool OpenAndMap();
  void Close();
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
