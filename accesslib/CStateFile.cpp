#include "accesslib/CStateFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

bool HeaderValid(const SimChipState& state) {
  return state.magic == kSimStateMagic && state.version == kSimStateVersion && state.size == sizeof(SimChipState);
}

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

SimChipState* CStateFile::Acquire() {
  if (m_fd >= 0 && m_owner != CurrentProcessId()) Close();
  // Twice at most: a file deleted under a running chip is replaced once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (m_fd < 0 && !OpenAndMap()) return nullptr;
    if (!LockFile(m_fd, LOCK_EX)) {
      Close();
      return nullptr;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) {
      Release();
      Close();
      return nullptr;
    }
    if (st.st_nlink == 0) {
      Release();
      Close();
      continue;
    }
    // Someone shortened or grew the file: restore its size before touching the mapping.
    if (st.st_size != static_cast<off_t>(sizeof(SimChipState))) {
      if (::ftruncate(m_fd, sizeof(SimChipState)) != 0) {
        Release();
        Close();
        return nullptr;
      }
      m_state->magic = 0;
    }
    if (!HeaderValid(*m_state)) {
      Initialise(*m_state);
      m_configCheckedAt = MonotonicNs();
    } else if (const int64_t now = MonotonicNs(); !m_configChecked || now - m_configCheckedAt >= kConfigCheckIntervalNs) {
      FollowConfig(*m_state);
      m_configChecked = true;
      m_configCheckedAt = now;
    }
    return m_state;
  }
  return nullptr;
}

void CStateFile::Release() {
  if (m_fd >= 0) ::flock(m_fd, LOCK_UN);
}

void CStateFile::Initialise(SimChipState& state) {
  std::memset(&state, 0, sizeof(state));
  state.magic = kSimStateMagic;
  state.version = kSimStateVersion;
  state.size = sizeof(SimChipState);
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
