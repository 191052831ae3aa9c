// The chip lock as an exclusive flock on a lock file. The kernel drops the
// lock when its holder dies, so a crashed peer never blocks the chip.
#pragma once

#include <string>

#include "platform/IChipLock.h"

class CFileChipLock : public IChipLock {
public:
    // The lock every Kelvane process and its peers agree on:
    // "/run/lock/Dravik_SM_Event", or the same name in the system's temporary
    // directory when /run/lock is not writable.
    static std::string DefaultPath();

    explicit CFileChipLock(std::string path);
    ~CFileChipLock() override;
    CFileChipLock(const CFileChipLock&) = delete;
    CFileChipLock& operator=(const CFileChipLock&) = delete;

    bool Acquire() override;
    void Release() override;
    const std::string& Path() const override { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};
