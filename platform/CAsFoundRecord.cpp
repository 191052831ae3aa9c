#include "platform/CAsFoundRecord.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace {

constexpr const char* kHeader = "kelvane-asfound 1";
// A record holds a few dozen registers; anything much larger is not one.
constexpr off_t kMaxRecordSize = 16 * 1024;
// The longest text rewritten in place: one page.
constexpr size_t kInPlaceLimit = 4096;

// Opens (creating) a lock file that peers of other users can lock too.
int OpenLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 0666) != 0666) ::fchmod(fd, 0666);
    return fd;
}

int FlockRetrying(int fd, int operation) {
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

bool ParseHexByte(const std::string& word, uint8_t& out) {
    if (word.empty() || word.size() > 2) return false;
    unsigned value = 0;
    for (char c : word) {
        value <<= 4;
        if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
        else return false;
    }
    out = static_cast<uint8_t>(value);
    return true;
}

}  // namespace

CAsFoundRecord::CAsFoundRecord(std::string basePath, std::string mutexPath)
    : m_base(std::move(basePath)), m_mutexPath(std::move(mutexPath)) {
    if (m_mutexPath.empty() && !m_base.empty()) m_mutexPath = m_base + ".asfound.lock";
}

CAsFoundRecord::~CAsFoundRecord() {
    // A driver that never left keeps its record on disk, as a crash would:
    // the next start hands the chip back from it.
    UnlockMutex();
    CloseUsers();
}

bool CAsFoundRecord::LockMutex() {
    if (m_mutexFd >= 0) return true;
    m_mutexFd = OpenLockFile(m_mutexPath);
    if (m_mutexFd < 0) return false;
    if (FlockRetrying(m_mutexFd, LOCK_EX) != 0) {
        ::close(m_mutexFd);
        m_mutexFd = -1;
        return false;
    }
    return true;
}

void CAsFoundRecord::UnlockMutex() {
    if (m_mutexFd < 0) return;
    ::flock(m_mutexFd, LOCK_UN);
    ::close(m_mutexFd);
    m_mutexFd = -1;
}

void CAsFoundRecord::CloseUsers() {
    if (m_usersFd < 0) return;
    ::flock(m_usersFd, LOCK_UN);
    ::close(m_usersFd);
    m_usersFd = -1;
}

CAsFoundRecord::Role CAsFoundRecord::Join() {
    m_entries.clear();
    m_pending.clear();
    m_joined = true;
    if (m_base.empty()) return Role::kAlone;
    // The users file is opened (and, by the last one out, removed) only
    // under the mutex, so that every driver always locks the same file.
    if (!LockMutex() || (m_usersFd = OpenLockFile(m_base + ".asfound.users")) < 0) {
        // Without its files the record can only serve this process.
        UnlockMutex();
        m_base.clear();
        return Role::kAlone;
    }
    RemoveStaleTemporaries();
    Role role = Role::kJoined;
    if (FlockRetrying(m_usersFd, LOCK_EX | LOCK_NB) == 0) {
        LoadFromDisk();
        role = m_entries.empty() ? Role::kAlone : Role::kAfterCrash;
        if (role == Role::kAlone) RemoveFromDisk();
    } else {
        LoadFromDisk();
    }
    // Only holders of the mutex ever take the users lock exclusively, so the
    // shared lock is granted at once.
    FlockRetrying(m_usersFd, LOCK_SH);
    UnlockMutex();
    return role;
}

bool CAsFoundRecord::Merge(std::vector<Entry>& entries, const Entry& e) {
    for (Entry& entry : entries) {
        if (entry.bank != e.bank || entry.reg != e.reg) continue;
        const uint8_t fresh = static_cast<uint8_t>(e.mask & ~entry.mask);
        if (fresh == 0) return false;
        entry.mask = static_cast<uint8_t>(entry.mask | fresh);
        entry.value = static_cast<uint8_t>((entry.value & ~fresh) | (e.value & fresh));
        return true;
    }
    entries.push_back(e);
    return true;
}

bool CAsFoundRecord::Keep(uint8_t bank, uint8_t reg, uint8_t mask, uint8_t asFound) {
    if (!m_joined || mask == 0) return false;
    Defer(bank, reg, mask, asFound);
    return Flush();
}

void CAsFoundRecord::Defer(uint8_t bank, uint8_t reg, uint8_t mask, uint8_t asFound) {
    if (!m_joined || mask == 0) return;
    const Entry e{bank, reg, mask, static_cast<uint8_t>(asFound & mask)};
    // Bits this process already knows of (from disk or deferred) are kept.
    if (Merge(m_entries, e)) m_pending.push_back(e);
}

bool CAsFoundRecord::IsPending(uint8_t reg) const {
    for (const Entry& e : m_pending) {
        if (e.reg == reg) return true;
    }
    return false;
}

bool CAsFoundRecord::Flush() {
    if (m_pending.empty()) return true;
    if (m_base.empty()) {
        m_pending.clear();
        return true;
    }
    if (!LockMutex()) return false;
    // Another driver may have kept these registers meanwhile: its values
    // were read before any change, so they win over ours.
    // Without a record on disk the one in memory, pending entries included,
    // is the whole record.
    bool changed = !LoadFromDisk();
    for (const Entry& e : m_pending) changed = Merge(m_entries, e) || changed;
    const bool saved = !changed || SaveToDisk();
    UnlockMutex();
    if (saved) m_pending.clear();
    return saved;
}

bool CAsFoundRecord::BeginLeave() {
    if (!m_joined) return false;
    // What was deferred is restored with the rest.
    Flush();
    m_joined = false;
    if (m_base.empty()) {
        m_leaving = true;
        return true;
    }
    if (!LockMutex()) {
        CloseUsers();
        return false;
    }
    if (FlockRetrying(m_usersFd, LOCK_EX | LOCK_NB) == 0) {
        LoadFromDisk();
        m_leaving = true;
        return true;
    }
    CloseUsers();
    UnlockMutex();
    return false;
}

void CAsFoundRecord::EndLeave() {
    if (!m_leaving) return;
    m_leaving = false;
    if (!m_base.empty()) {
        RemoveFromDisk();
        RemoveStaleTemporaries();
        ::unlink((m_base + ".asfound.users").c_str());
    }
    CloseUsers();
    UnlockMutex();
}

bool CAsFoundRecord::LoadFromDisk() {
    const std::string path = RecordPath();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    struct stat st {};
    std::string text;
    // Only a regular file of this user (or of root) is trusted: the lock
    // directory may be writable by everyone, and the record decides what is
    // written into the chip.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxRecordSize &&
        (st.st_uid == ::geteuid() || st.st_uid == 0)) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        text.resize(done);
    }
    ::close(fd);
    std::vector<Entry> entries;
    if (!Parse(text, entries)) return false;
    m_entries = std::move(entries);
    return true;
}

bool CAsFoundRecord::SaveToDisk() const {
    const std::string text = Format(m_entries);
    const bool ok = SaveInPlace(text) || SaveByRename(text);
    if (ok) ++m_saves;
    return ok;
}

bool CAsFoundRecord::SaveInPlace(const std::string& text) const {
    // One write of at most a page at the start of the file is done whole or
    // not at all, even when the writer is killed (the kernel copies a page at
    // a time and looks for a fatal signal only between pages), and readers
    // take the mutex the writer holds: so the record can be rewritten in
    // place, without a temporary, a rename and the inode they cost. It only
    // ever grows while a driver lives (entries and bits are added, never
    // removed), so the new text covers the old one entirely; anything else
    // is replaced through a temporary.
    if (text.size() > kInPlaceLimit) return false;
    const int fd = ::open(RecordPath().c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    // Only this user's own file, under this name only, is written through.
    const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                      st.st_nlink == 1 && st.st_size <= static_cast<off_t>(text.size());
    ssize_t written = -1;
    if (ours) {
        do {
            written = ::pwrite(fd, text.data(), text.size(), 0);
        } while (written < 0 && errno == EINTR);
    }
    ::close(fd);
    if (written == static_cast<ssize_t>(text.size())) return true;
    // A short write left the start of the new text over the old one: the
    // temporary below replaces it whole.
    return false;
}

bool CAsFoundRecord::SaveByRename(const std::string& text) const {
    const std::string path = RecordPath();
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<size_t>(n);
    }
    ok = ok && ::fchmod(fd, 0644) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

void CAsFoundRecord::RemoveFromDisk() const { ::unlink(RecordPath().c_str()); }

void CAsFoundRecord::RemoveStaleTemporaries() const {
    // Temporaries are only written under the mutex, which the caller holds:
    // any that exist were left by a driver killed while writing.
    const std::string path = RecordPath();
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".";
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        // mkostemp's six characters after the record's own name.
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (name.find('.', prefix.size()) != std::string::npos) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

std::string CAsFoundRecord::Format(const std::vector<Entry>& entries) {
    std::string text = std::string(kHeader) + "\n";
    char line[32];
    for (const Entry& e : entries) {
        std::snprintf(line, sizeof line, "%x %x %x %x\n", e.bank, e.reg, e.mask, e.value);
        text += line;
    }
    std::snprintf(line, sizeof line, "end %zu\n", entries.size());
    return text + line;
}

bool CAsFoundRecord::Parse(const std::string& text, std::vector<Entry>& entries) {
    entries.clear();
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) return false;
    std::vector<Entry> parsed;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first == "end") {
            size_t count = 0;
            std::string rest;
            if (!(words >> count) || (words >> rest) || count != parsed.size()) return false;
            if (std::getline(lines, line)) return false;
            entries = std::move(parsed);
            return true;
        }
        Entry e;
        std::string w[3];
        if (!(words >> w[0] >> w[1] >> w[2])) return false;
        std::string extra;
        if (words >> extra) return false;
        if (!ParseHexByte(first, e.bank) || !ParseHexByte(w[0], e.reg) || !ParseHexByte(w[1], e.mask) ||
            !ParseHexByte(w[2], e.value) || e.bank > 7 || e.mask == 0 || (e.value & ~e.mask) != 0) {
            return false;
        }
        parsed.push_back(e);
    }
    // A record without its end line was cut short.
    return false;
}
