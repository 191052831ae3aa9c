#include "platform/CPrivateProfile.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/CIniDocument.h"

namespace {

bool ReadAll(int fd, std::string& text) {
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        text.append(chunk.data(), static_cast<std::size_t>(n));
    }
}

bool IsTemporarySuffix(std::string_view suffix) {
    if (suffix.size() != 6) return false;
    for (char c : suffix) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

CPrivateProfile::CPrivateProfile(RenameFunction rename, OpenFunction open)
    : m_rename(std::move(rename)), m_open(std::move(open)) {
    if (!m_rename) {
        m_rename = [](const std::string& from, const std::string& to) {
            return std::rename(from.c_str(), to.c_str()) == 0;
        };
    }
    if (!m_open) m_open = [](const std::string& path, int flags) { return ::open(path.c_str(), flags); };
}

// A directory must not count as an openable profile. O_NONBLOCK: opening a
// FIFO would wait for a writer; on a regular file the flag changes nothing.
int CPrivateProfile::OpenRegularFile(const std::string& path, struct stat& st) const {
    int fd = m_open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void CPrivateProfile::BeginReadPass() const {
    std::lock_guard<std::mutex> guard(m_cacheMutex);
    if (m_passDepth++ == 0) ++m_pass;
}

void CPrivateProfile::EndReadPass() const {
    std::lock_guard<std::mutex> guard(m_cacheMutex);
    if (m_passDepth > 0) --m_passDepth;
}

bool CPrivateProfile::FileIdentity::operator==(const FileIdentity& other) const {
    auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return device == other.device && inode == other.inode && size == other.size && same(modified, other.modified) &&
           same(changed, other.changed);
}

std::shared_ptr<const CIniDocument> CPrivateProfile::Document(const std::string& path) const {
    uint64_t pass = 0;
    uint64_t writes = 0;
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (auto it = m_pendingFiles.find(path); it != m_pendingFiles.end()) return it->second.document;
        writes = m_writes;
        if (m_passDepth > 0) {
            pass = m_pass;
            auto it = m_cache.find(path);
            if (it != m_cache.end() && it->second.pass == pass) return it->second.document;
        }
    }
    // Remembers what this read found; within a pass even a file that could
    // not be read or may still change, for the rest of the pass.
    auto keep = [&](const FileIdentity& identity, std::shared_ptr<const CIniDocument> document, bool settled) {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        // A write through this store or a newer pass may have come between.
        if ((pass != 0 && pass != m_pass) || writes != m_writes) return;
        if (!settled && pass == 0) {
            m_cache.erase(path);
            return;
        }
        // A handful of profiles are in use at a time; a program that walks
        // through many does not keep them all.
        if (m_cache.size() >= 16 && m_cache.find(path) == m_cache.end()) m_cache.clear();
        m_cache[path] = CachedDocument{identity, std::move(document), settled, pass};
    };

    struct stat st {};
    const int fd = OpenRegularFile(path, st);
    if (fd < 0) {
        keep(FileIdentity{}, nullptr, false);
        return nullptr;
    }
    const FileIdentity identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    // A file modified within the last seconds may change again within the
    // time stamps' granularity, keeping its identity: outside a pass it is
    // read afresh.
    const bool settled = st.st_mtim.tv_sec + 2 < std::time(nullptr);
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        auto it = m_cache.find(path);
        if (it != m_cache.end() && it->second.settled && settled && it->second.identity == identity) {
            ::close(fd);
            if (pass != 0 && pass == m_pass) it->second.pass = pass;
            return it->second.document;
        }
    }
    std::string text;
    const bool read = ReadAll(fd, text);
    ::close(fd);
    std::shared_ptr<const CIniDocument> document;
    if (read) document = std::make_shared<const CIniDocument>(std::move(text));
    keep(identity, document, read && settled);
    return document;
}

int CPrivateProfile::GetInt(const std::string& path, std::string_view section, std::string_view key,
                            int defaultValue) const {
    std::shared_ptr<const CIniDocument> document = Document(path);
    if (!document) return defaultValue;
    return CIniDocument::ToInt(document->Find(section, key), defaultValue);
}

std::string CPrivateProfile::GetString(const std::string& path, std::string_view section, std::string_view key,
                                       std::string_view defaultValue, std::size_t bufferSize) const {
    std::shared_ptr<const CIniDocument> document = Document(path);
    std::optional<std::string> value;
    if (document) value = document->Find(section, key);
    return CIniDocument::ToBuffer(value, defaultValue, bufferSize);
}

void CPrivateProfile::RemoveStaleTemporaries(const std::string& directory, const std::string& base) {
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return;
    const std::string prefix = "." + base + ".";
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix) || !IsTemporarySuffix(name.substr(prefix.size()))) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_mtim.tv_sec + kStaleTemporaryAge > now) {
            continue;
        }
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

bool CPrivateProfile::ReadForWrite(const std::string& path, std::optional<std::string>& text, mode_t& mode) const {
    mode = 0644;
    struct stat st {};
    const int oldFd = OpenRegularFile(path, st);
    if (oldFd >= 0) {
        mode = st.st_mode & 07777;
        text.emplace();
        const bool read = ReadAll(oldFd, *text);
        ::close(oldFd);
        return read;
    }
    // Exists but cannot be read, or is no regular file: never replace what
    // we could not keep.
    return ::stat(path.c_str(), &st) != 0;
}

bool CPrivateProfile::StoreFile(const std::string& path, const std::string& text, mode_t mode) {
    // The temporary file lives in the same directory so that the rename
    // stays within one file system and is atomic.
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    RemoveStaleTemporaries(dir, base);
    std::string temp = dir + "." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    temp.assign(name.data());

    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = m_rename(temp, path);
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool CPrivateProfile::WriteString(const std::string& path, std::string_view section, std::string_view key,
                                  std::string_view value) {
    if (path.empty() || !CIniDocument::CanStore(section, key, value)) return false;

    const std::lock_guard<std::mutex> writing(m_writeMutex);
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (m_writeDepth > 0) {
            if (auto it = m_pendingFiles.find(path); it != m_pendingFiles.end()) {
                // A reader may hold the last version: the next one is a copy.
                auto next = std::make_shared<CIniDocument>(*it->second.document);
                next->Set(section, key, value);
                it->second.document = std::move(next);
                return true;
            }
        }
    }
    std::optional<std::string> old;
    mode_t mode = 0644;
    if (!ReadForWrite(path, old, mode)) return false;
    auto document = std::make_shared<CIniDocument>(old ? std::move(*old) : std::string());
    document->Set(section, key, value);
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (m_writeDepth > 0) {
            m_pendingFiles[path] = PendingFile{std::move(document), mode};
            return true;
        }
    }
    const bool ok = StoreFile(path, document->Text(), mode);
    std::lock_guard<std::mutex> guard(m_cacheMutex);
    m_cache.erase(path);
    ++m_writes;
    return ok;
}

void CPrivateProfile::BeginWritePass() {
    std::lock_guard<std::mutex> guard(m_cacheMutex);
    ++m_writeDepth;
}

bool CPrivateProfile::EndWritePass() {
    const std::lock_guard<std::mutex> writing(m_writeMutex);
    std::map<std::string, PendingFile> files;
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (m_writeDepth == 0 || --m_writeDepth > 0) return true;
        // Kept for the readers until each file is on disk.
        files = m_pendingFiles;
    }
    bool ok = true;
    for (const auto& [path, file] : files) ok = StoreFile(path, file.document->Text(), file.mode) && ok;
    std::lock_guard<std::mutex> guard(m_cacheMutex);
    for (const auto& entry : files) {
        m_pendingFiles.erase(entry.first);
        m_cache.erase(entry.first);
    }
    ++m_writes;
    return ok;
}

bool CPrivateProfile::CanOpen(const std::string& path) const {
    bool inPass = false;
    {
        std::lock_guard<std::mutex> guard(m_cacheMutex);
        if (m_pendingFiles.count(path) != 0) return true;
        inPass = m_passDepth > 0;
    }
    // Within a pass the file's contents are asked for next: it is read here,
    // once.
    if (inPass) return Document(path) != nullptr;
    struct stat st {};
    int fd = OpenRegularFile(path, st);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
