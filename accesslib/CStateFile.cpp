#include "accesslib/CStateFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <ctime>
#include <cstring>

#include "accesslib/CSimChip.h"
#include "accesslib/CSimConfig.h"
#include "accesslib/ProcessId.h"

namespace {

struct ConfigIdentity {
  int64_t mtimeNs = 0;
  int64_t size = 0;
  uint64_t inode = 0;
};

ConfigIdentity IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, static_cast<int64_t>(st.st_size),
          static_cast<uint64_t>(st.st_ino)};
}

// flock, resumed when a signal interrupts the wait.
bool LockFile(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// An edit of simchip.ini is looked for at most this often: a stat of it on
// every transfer was a tenth of a reading's cost, and a program's tick (2.5 s)
// still sees the edit at its next tick.
constexpr int64_t kConfigCheckIntervalNs = 250'000'000;

// The coarse monotonic clock is read without entering the kernel.
int64_t MonotonicNs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The magic is written last when a state is built (and read first), so a
// process that sees it sees a whole header and an initialised lock.
bool HeaderValid(const SimChipState& state) {
  return __atomic_load_n(&state.magic, __ATOMIC_ACQUIRE) == kSimStateMagic && state.version == kSimStateVersion &&
         state.size == sizeof(SimChipState);
}

static_assert(sizeof(pthread_mutex_t) <= sizeof(SimChipState::lock) && alignof(pthread_mutex_t) <= 8);

pthread_mutex_t* LockOf(SimChipState& state) { return reinterpret_cast<pthread_mutex_t*>(state.lock); }

bool InitialiseLock(SimChipState& state) {
  pthread_mutexattr_t attributes;
  if (::pthread_mutexattr_init(&attributes) != 0) return false;
  const bool ok = ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                  ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                  ::pthread_mutex_init(LockOf(state), &attributes) == 0;
  ::pthread_mutexattr_destroy(&attributes);
  return ok;
}

// A wait for the state's lock looks again this often: a repair of a damaged
// file may have built a new lock under a waiter, which nobody would wake.
constexpr int64_t kLockLookAgainNs = 100'000'000;

void Record(SimChipState& state, const ConfigIdentity& identity) {
  state.configMtimeNs = identity.mtimeNs;
  state.configSize = identity.size;
  state.configInode = identity.inode;
}

}  // namespace

CStateFile::CStateFile(std::string directory) : m_directory(std::move(directory)) {}

CStateFile::~CStateFile() { Close(); }

std::string CStateFile::StatePath() const { return m_directory + "/" + kFileName; }

std::string CStateFile::ConfigPath() const { return m_directory + "/" + CSimConfig::kFileName; }

void CStateFile::Close() {
  if (m_state) ::munmap(m_state, sizeof(SimChipState));
  if (m_fd >= 0) ::close(m_fd);
  m_state = nullptr;
  m_fd = -1;
  m_configChecked = false;
}

bool CStateFile::OpenAndMap() {
  m_fd = ::open(StatePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (m_fd < 0) return false;
  // The file is sized before it is mapped, so no access can fall beyond its end.
  struct stat st {};
  if (!LockFile(m_fd, LOCK_EX) || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      (st.st_size != static_cast<off_t>(sizeof(SimChipState)) && ::ftruncate(m_fd, sizeof(SimChipState)) != 0)) {
    Close();
    return false;
  }
  void* mapping = ::mmap(nullptr, sizeof(SimChipState), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
  ::flock(m_fd, LOCK_UN);
  if (mapping == MAP_FAILED) {
    Close();
    return false;
  }
  m_state = static_cast<SimChipState*>(mapping);
  m_owner = CurrentProcessId();
  return true;
}

bool CStateFile::Repair(bool withLock) {
  if (!LockFile(m_fd, LOCK_EX)) return false;
  struct stat st {};
  bool ok = ::fstat(m_fd, &st) == 0;
  // Someone shortened or grew the file: restore its size before touching the mapping.
  if (ok && st.st_size != static_cast<off_t>(sizeof(SimChipState))) {
    ok = ::ftruncate(m_fd, sizeof(SimChipState)) == 0;
    if (ok) __atomic_store_n(&m_state->magic, 0U, __ATOMIC_RELEASE);
  }
  if (ok && (withLock || !HeaderValid(*m_state))) {
    // No process can hold a lock in a state that is not one; the header
    // goes in last, so nobody takes the lock before it is built.
    std::memset(m_state, 0, sizeof(SimChipState));
    ok = InitialiseLock(*m_state);
    if (ok) {
      Initialise(*m_state);
      m_configChecked = true;
      m_configCheckedAt = MonotonicNs();
      m_state->version = kSimStateVersion;
      m_state->size = sizeof(SimChipState);
      __atomic_store_n(&m_state->magic, kSimStateMagic, __ATOMIC_RELEASE);
    }
  }
  ::flock(m_fd, LOCK_UN);
  return ok;
}

bool CStateFile::LockState() {
  pthread_mutex_t* lock = LockOf(*m_state);
  int result = ::pthread_mutex_trylock(lock);
  while (result == EBUSY || result == ETIMEDOUT) {
    // The wall clock, as pthread_mutex_timedlock takes it (the monotonic
    // variant is unknown to the thread sanitizer): a step of that clock only
    // moves when a waiter looks again, and an unlock wakes it either way.
    timespec deadline{};
    ::clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_nsec += kLockLookAgainNs;
    if (deadline.tv_nsec >= 1'000'000'000) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1'000'000'000;
    }
    result = ::pthread_mutex_timedlock(lock, &deadline);
  }
  // A holder died inside an access: the kernel handed the lock on. Its
  // access may be half done, as a transfer cut off on a real bus is; every
  // value in the state is treated as untrusted anyway.
  if (result == EOWNERDEAD) result = ::pthread_mutex_consistent(lock);
  return result == 0;
}

SimChipState* CStateFile::Acquire() {
  if (m_fd >= 0 && m_owner != CurrentProcessId()) Close();
  // Twice at most: a file deleted under a running chip is replaced once, and
  // a lock found damaged is rebuilt once.
  bool rebuildLock = false;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (m_fd < 0 && !OpenAndMap()) return nullptr;
    // The size is looked at before the mapping is touched: a page beyond the
    // end of the file cannot be read (SIGBUS).
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
      Close();
      return nullptr;
    }
    if (st.st_nlink == 0) {
      Close();
      continue;
    }
    if ((rebuildLock || st.st_size != static_cast<off_t>(sizeof(SimChipState)) || !HeaderValid(*m_state)) &&
        !Repair(rebuildLock)) {
      Close();
      return nullptr;
    }
    rebuildLock = false;
    if (!LockState()) {
      rebuildLock = true;
      continue;
    }
    // Damaged while this process waited for the lock: built again under it.
    if (!HeaderValid(*m_state)) {
      Release();
      continue;
    }
    if (const int64_t now = MonotonicNs(); !m_configChecked || now - m_configCheckedAt >= kConfigCheckIntervalNs) {
      FollowConfig(*m_state);
      m_configChecked = true;
      m_configCheckedAt = now;
    }
    return m_state;
  }
  return nullptr;
}

void CStateFile::Release() {
  if (m_state) ::pthread_mutex_unlock(LockOf(*m_state));
}

void CStateFile::Initialise(SimChipState& state) {
  // Everything after the header and the lock.
  constexpr size_t kBody = offsetof(SimChipState, lock) + sizeof(SimChipState::lock);
  std::memset(reinterpret_cast<unsigned char*>(&state) + kBody, 0, sizeof(SimChipState) - kBody);
  const std::string config = ConfigPath();
  Record(state, IdentityOf(config));
  state.settings = CSimConfig::Load(config);
  state.phaseSucceeded = 1;
  CSimChip(state).PowerOn();
}

void CStateFile::FollowConfig(SimChipState& state) {
  const ConfigIdentity identity = IdentityOf(ConfigPath());
  if (identity.mtimeNs == state.configMtimeNs && identity.size == state.configSize &&
      identity.inode == state.configInode) {
    return;
  }
  Record(state, identity);
  const SimSettings settings = CSimConfig::Load(ConfigPath());
  // A different part (or core-voltage strap) is a new chip; otherwise only the
  // inputs and faults change under the running one.
  const bool newChip = settings.model != state.settings.model || settings.vcoreOffset != state.settings.vcoreOffset;
  state.settings = settings;
  CSimChip chip(state);
  if (newChip) {
    chip.PowerOn();
  } else {
    chip.Refresh();
  }
}

bool CStateFile::Reset() {
  return WithState([this](SimChipState& state) { Initialise(state); });
}
