#include "accesslib/hwmon/CSysfsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

class CFileDescriptor {
 public:
  explicit CFileDescriptor(int fd) : m_fd(fd) {}
  ~CFileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFileDescriptor(const CFileDescriptor&) = delete;
  CFileDescriptor& operator=(const CFileDescriptor&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

bool IsRegular(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; }

bool InGroup(gid_t group) {
  if (group == ::getegid()) return true;
  gid_t groups[256];
  const int count = ::getgroups(256, groups);
  for (int i = 0; i < count; ++i) {
    if (groups[i] == group) return true;
  }
  return false;
}

}  // namespace

bool CSysfsFile::ReadText(const std::string& path, std::string& text) {
  // O_NONBLOCK: a FIFO put where an attribute belongs opens at once and is
  // then refused as not regular.
  CFileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0 || !IsRegular(file.Get())) return false;
  char buffer[kMaxAttributeBytes + 1];
  size_t filled = 0;
  while (filled < sizeof buffer) {
    const ssize_t got = ::read(file.Get(), buffer + filled, sizeof buffer - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  if (filled > kMaxAttributeBytes) return false;
  while (filled > 0 && IsSpace(buffer[filled - 1])) --filled;
  text.assign(buffer, filled);
  return true;
}

bool CSysfsFile::ParseInteger(const std::string& text, int64_t& value) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const size_t digits = i;
  int64_t result = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (result > (INT64_MAX - 9) / 10) return false;
    result = result * 10 + (text[i] - '0');
  }
  if (i == digits) return false;
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i != text.size()) return false;
  value = negative ? -result : result;
  return true;
}

bool CSysfsFile::ReadInteger(const std::string& path, int64_t& value) {
  std::string text;
  return ReadText(path, text) && ParseInteger(text, value);
}

bool CSysfsFile::WriteInteger(const std::string& path, int64_t value) {
  CFileDescriptor file(::open(path.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0 || !IsRegular(file.Get())) return false;
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%lld\n", static_cast<long long>(value));
  ssize_t written;
  do {
    written = ::write(file.Get(), text, static_cast<size_t>(length));
  } while (written < 0 && errno == EINTR);
  return written == length;
}

bool CSysfsFile::IsWritable(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (info.st_uid == ::geteuid()) return (info.st_mode & S_IWUSR) != 0;
  if (InGroup(info.st_gid)) return (info.st_mode & S_IWGRP) != 0;
  return (info.st_mode & S_IWOTH) != 0;
}
