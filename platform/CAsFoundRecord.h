// The chip's registers as the first driving process found them, shared by
// every process that drives the chip at the same time and kept on disk, so
// that whoever leaves last (or the next start after a crash) can hand the
// chip back as it was found, not as another driver had changed it.
//
// Files, all beside the chip lock file (base = the lock file's path):
//   base + ".asfound"        the record, rewritten whole (in place with one
//                            write of a page, else a temporary file renamed
//                            over it), so a killed driver never leaves half of
//                            it. Not synced: it outlives drivers, not the
//                            machine, whose restart powers the chip anew
//   base + ".asfound.users"  every driving process holds a shared flock on it
//                            for its life; the kernel drops it on any death,
//                            SIGKILL included; the last one out removes it
//   base + ".asfound.lock"   an exclusive flock around every join, addition
//                            and leave, so that two starts or a start and an
//                            exit never race (or another mutex file given,
//                            which records of several chips may share)
// With an empty base the record lives in memory only (one process).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAsFoundRecord {
public:
    // One register byte, of which the bits in mask are as found.
    struct Entry {
        uint8_t bank = 0;
        uint8_t reg = 0;
        uint8_t mask = 0;
        uint8_t value = 0;
    };

    enum class Role {
        kAlone,      // no other driver: the record starts empty
        kAfterCrash, // no other driver, but a driver died without handing back: its record is kept
        kJoined,     // other drivers live: their record is shared
    };

    explicit CAsFoundRecord(std::string basePath, std::string mutexPath = "");
    // Leaves without restoring when Leave was not called.
    ~CAsFoundRecord();
    CAsFoundRecord(const CAsFoundRecord&) = delete;
    CAsFoundRecord& operator=(const CAsFoundRecord&) = delete;

    // Becomes one of the chip's drivers and loads the shared record.
    Role Join();
    bool IsJoined() const { return m_joined; }

    // Records the bits of mask of a register as found, unless a driver
    // recorded them before: asFound is the register's value read before this
    // process changed it. True when the bits are now recorded on disk.
    bool Keep(uint8_t bank, uint8_t reg, uint8_t mask, uint8_t asFound);
    // The same, kept in memory only until Flush: several registers kept
    // before the first of them is changed go to disk in one save. The caller
    // flushes before it writes a register that is pending (IsPending).
    void Defer(uint8_t bank, uint8_t reg, uint8_t mask, uint8_t asFound);
    // True when a deferred entry of register reg (in any bank) is not on
    // disk yet.
    bool IsPending(uint8_t reg) const;
    // Merges the deferred entries into the record on disk (bits another
    // driver recorded first keep its values) in one save. True when nothing
    // is left pending.
    bool Flush();
    // The recorded entries, in the order they were first kept.
    const std::vector<Entry>& Entries() const { return m_entries; }

    // Ends this process's part. True when it was the last driver: the
    // record (Entries, reloaded) is then the caller's to restore, and no
    // other driver can join until EndLeave, which deletes it. False while
    // other drivers live: this process is gone from the users and the
    // record stays theirs.
    bool BeginLeave();
    void EndLeave();

    // How many times this process saved the record, for tests.
    int Saves() const { return m_saves; }
    // The record's own file name, for tests and tools.
    std::string RecordPath() const { return m_base.empty() ? std::string() : m_base + ".asfound"; }

    // The text form of a record, and its strict reading: false for anything
    // that is not exactly a record (the entries are then left empty).
    static std::string Format(const std::vector<Entry>& entries);
    static bool Parse(const std::string& text, std::vector<Entry>& entries);

private:
    bool LockMutex();
    void UnlockMutex();
    void CloseUsers();
    // True when a record was read (it then replaces Entries).
    bool LoadFromDisk();
    // Adds the bits of e not in entries yet; true when any were added.
    static bool Merge(std::vector<Entry>& entries, const Entry& e);
    bool SaveToDisk() const;
    bool SaveInPlace(const std::string& text) const;
    bool SaveByRename(const std::string& text) const;
    void RemoveFromDisk() const;
    // Removes the temporaries of the record that a killed driver left
    // (only under the mutex).
    void RemoveStaleTemporaries() const;

    std::string m_base;
    std::string m_mutexPath;
    int m_usersFd = -1;
    int m_mutexFd = -1;
    bool m_joined = false;
    bool m_leaving = false;
    std::vector<Entry> m_entries;
    // Deferred entries not on disk yet, in the order they were kept.
    std::vector<Entry> m_pending;
    mutable int m_saves = 0;
};
