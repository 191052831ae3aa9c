// The profile store on real files. A write builds the whole new file in a
// temporary file beside the old one, flushes it to disk and renames it over
// the old one, so a crash at any moment leaves either the old or the new file;
// temporary files a crash left behind are removed by a later write.
//
// Only regular files are profiles: a FIFO, device or directory in a profile's
// place reads as a missing file (and is never replaced), without blocking.
// A parsed file is kept while its identity (device, inode, size, modification
// and change times) stays the same; within a read pass it is not even looked
// at again, so a load of many keys opens it once. Within a write pass a
// file's writes are gathered and it is written once, when the pass ends.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/IPrivateProfile.h"

class CIniDocument;
struct stat;

class CPrivateProfile : public IPrivateProfile {
public:
    // The final step of a write; replaced in tests to stand for a crash
    // before the rename. Returns true on success.
    using RenameFunction = std::function<bool(const std::string& from, const std::string& to)>;

    // Opens a file for reading (the flags of open(2)); returns the
    // descriptor or -1. Replaced in tests that count the opens.
    using OpenFunction = std::function<int(const std::string& path, int flags)>;

    explicit CPrivateProfile(RenameFunction rename = {}, OpenFunction open = {});

    int GetInt(const std::string& path, std::string_view section, std::string_view key,
               int defaultValue) const override;
    std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize = 256) const override;
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool CanOpen(const std::string& path) const override;
    void BeginReadPass() const override;
    void EndReadPass() const override;
    void BeginWritePass() override;
    bool EndWritePass() override;

    // A temporary file of our own replace older than this is a crash's
    // leftover; a younger one may belong to a write in progress.
    static constexpr time_t kStaleTemporaryAge = 60;

private:
    struct FileIdentity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const FileIdentity& other) const;
    };
    struct CachedDocument {
        FileIdentity identity;
        // Null: the file could not be read (kept within a pass only).
        std::shared_ptr<const CIniDocument> document;
        // Whether the identity may be trusted outside the pass that read it.
        bool settled = false;
        // The read pass that last read or checked the file; 0 for none.
        uint64_t pass = 0;
    };

    // A file's next contents within a write pass, and the mode it keeps.
    struct PendingFile {
        std::shared_ptr<const CIniDocument> document;
        mode_t mode = 0644;
    };

    // What a write starts from: the file's text (none for a missing file)
    // and its mode; false when the file exists but cannot be kept.
    bool ReadForWrite(const std::string& path, std::optional<std::string>& text, mode_t& mode) const;
    // Writes the whole file beside the old one and renames it over it.
    bool StoreFile(const std::string& path, const std::string& text, mode_t mode);
    // Opens path for reading only when it is a regular file.
    int OpenRegularFile(const std::string& path, struct stat& st) const;
    // The parsed regular file, or null when it cannot be read.
    std::shared_ptr<const CIniDocument> Document(const std::string& path) const;
    // Removes ".NAME.XXXXXX" files of ours beside path older than
    // kStaleTemporaryAge.
    static void RemoveStaleTemporaries(const std::string& directory, const std::string& base);

    RenameFunction m_rename;
    OpenFunction m_open;
    mutable std::mutex m_cacheMutex;
    mutable std::map<std::string, CachedDocument> m_cache;
    // Nesting depth of the open read passes, and the number of the current
    // (or last) outermost one.
    mutable int m_passDepth = 0;
    mutable uint64_t m_pass = 0;
    // Writes through this store so far: a read that a write overtook keeps
    // nothing.
    uint64_t m_writes = 0;
    // Held by each write from reading the old file to the rename, and by a
    // pass's end while it writes its files, so no write overtakes another.
    std::mutex m_writeMutex;
    // Nesting depth of the open write passes and, by path, their files.
    int m_writeDepth = 0;
    std::map<std::string, PendingFile> m_pendingFiles;
};
