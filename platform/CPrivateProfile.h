// The profile store on real files. A write builds the whole new file in a
// temporary file beside the old one, flushes it to disk and renames it over
// the old one, so a crash at any moment leaves either the old or the new file;
// temporary files a crash left behind are removed by a later write.
//
// Only regular files are profiles: a FIFO, device or directory in a profile's
// place reads as a missing file (and is never replaced), without blocking.
// A parsed file is kept while its identity (device, inode, size, modification
// and change times) stays the same, so loading many keys reads it once.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/IPrivateProfile.h"

class CIniDocument;

class CPrivateProfile : public IPrivateProfile {
public:
    // The final step of a write; replaced in tests to stand for a crash
    // before the rename. Returns true on success.
    using RenameFunction = std::function<bool(const std::string& from, const std::string& to)>;

    explicit CPrivateProfile(RenameFunction rename = {});

    int GetInt(const std::string& path, std::string_view section, std::string_view key,
               int defaultValue) const override;
    std::string GetString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue, std::size_t bufferSize = 256) const override;
    bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool CanOpen(const std::string& path) const override;

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
        std::shared_ptr<const CIniDocument> document;
    };

    // The parsed regular file, or null when it cannot be read.
    std::shared_ptr<const CIniDocument> Document(const std::string& path) const;
    // Removes ".NAME.XXXXXX" files of ours beside path older than
    // kStaleTemporaryAge.
    static void RemoveStaleTemporaries(const std::string& directory, const std::string& base);

    RenameFunction m_rename;
    mutable std::mutex m_cacheMutex;
    mutable std::map<std::string, CachedDocument> m_cache;
};
