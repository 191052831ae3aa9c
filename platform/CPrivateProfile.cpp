#include "platform/CPrivateProfile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/CIniDocument.h"

namespace {

// Opens path for reading only when it is a regular file (a directory must
// not count as an openable profile).
int OpenRegularFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
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

CPrivateProfile::CPrivateProfile(RenameFunction rename) : m_rename(std::move(rename)) {
    if (!m_rename) {
        m_rename = [](const std::string& from, const std::string& to) {
            return std::rename(from.c_str(), to.c_str()) == 0;
        };
    }
}

std::optional<std::string> CPrivateProfile::ReadFile(const std::string& path) {
    int fd = OpenRegularFile(path);
    if (fd < 0) return std::nullopt;
    std::string text;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        text.append(chunk.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

int CPrivateProfile::GetInt(const std::string& path, std::string_view section, std::string_view key,
                            int defaultValue) const {
    std::optional<std::string> text = ReadFile(path);
    if (!text) return defaultValue;
    return CIniDocument::ToInt(CIniDocument(std::move(*text)).Find(section, key), defaultValue);
}

std::string CPrivateProfile::GetString(const std::string& path, std::string_view section, std::string_view key,
                                       std::string_view defaultValue, std::size_t bufferSize) const {
    std::optional<std::string> text = ReadFile(path);
    std::optional<std::string> value;
    if (text) value = CIniDocument(std::move(*text)).Find(section, key);
    return CIniDocument::ToBuffer(value, defaultValue, bufferSize);
}

bool CPrivateProfile::WriteString(const std::string& path, std::string_view section, std::string_view key,
                                  std::string_view value) {
    if (path.empty() || !CIniDocument::CanStore(section, key, value)) return false;

    std::optional<std::string> old = ReadFile(path);
    mode_t mode = 0644;
    if (old) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    } else if (::access(path.c_str(), F_OK) == 0) {
        return false;  // exists but cannot be read: never replace what we could not keep
    }
    CIniDocument document(old ? std::move(*old) : std::string());
    document.Set(section, key, value);

    // The temporary file lives in the same directory so that the rename
    // stays within one file system and is atomic.
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = dir + "." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    temp.assign(name.data());

    bool ok = WriteAll(fd, document.Text()) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = m_rename(temp, path);
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

bool CPrivateProfile::CanOpen(const std::string& path) const {
    int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
