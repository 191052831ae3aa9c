// The chip lock as an exclusive flock on a lock file. The kernel drops the
// lock when its holder dies, so a crashed peer never blocks the chip; a
// stopped or hung peer costs a bounded wait, never a frozen program.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

#include "platform/IChipLock.h"

class CFileChipLock : public IChipLock {
public:
    // The lock every Kelvane process and its peers agree on:
    // "/run/lock/Dravik_SM_Event", or the same name in the system's temporary
    // directory when /run/lock is not writable.
    static std::string DefaultPath();

    static constexpr std::chrono::milliseconds kWaitBound{1000};
    // The wait once a peer has kept the lock beyond the bound, until the lock
    // is taken again, and while termination is pending: long enough for a
    // peer's ordinary transfer, short enough that a tick of transfers against
    // a hung peer still ends in a fraction of its period.
    static constexpr std::chrono::milliseconds kShortWaitBound{10};

    explicit CFileChipLock(std::string path, std::chrono::milliseconds waitBound = kWaitBound);
    ~CFileChipLock() override;
    CFileChipLock(const CFileChipLock&) = delete;
    CFileChipLock& operator=(const CFileChipLock&) = delete;

    // Asked while waiting; true once the program is to end (a termination
    // signal), which cuts the wait in progress and later waits short.
    void SetTerminationCheck(std::function<bool()> isTerminating) { m_isTerminating = std::move(isTerminating); }

    ChipLockResult Acquire() override;
    void Release() override;
    const std::string& Path() const override { return m_path; }

protected:
    // open(2); a test counts the opens through it.
    virtual int OpenFile(const char* path, int flags, mode_t mode) const;

private:
    // The lock file, never through a symbolic link and never anything but a
    // regular file; -1 when there is none to use.
    int OpenLockFile() const;
    void CloseLockFile();
    // flock on the open file within the wait's bound.
    ChipLockResult WaitForLock();
    bool IsTerminating() const { return m_isTerminating && m_isTerminating(); }

    std::string m_path;
    std::chrono::milliseconds m_waitBound;
    std::function<bool()> m_isTerminating;
    // Open from the first Acquire until destruction.
    int m_fd = -1;
    bool m_held = false;
    bool m_stalled = false;
};
