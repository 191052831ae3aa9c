#include "tools/kelvane-chipd/CRegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

CRegularFile::Result CRegularFile::Read(const std::string& path, std::string& content, std::string& problem,
                                        size_t limit, Links links) {
    content.clear();
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC |
                                  (links == Links::kRefuse ? O_NOFOLLOW : 0));
    if (fd < 0) {
        if (errno == ENOENT) return Result::kAbsent;
        problem = path + (errno == ELOOP ? ": a symbolic link" : std::string(": ") + std::strerror(errno));
        return errno == ELOOP ? Result::kNotRegular : Result::kUnreadable;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        problem = path + ": not a regular file";
        return Result::kNotRegular;
    }
    // /proc and sysfs files report a size of 0 or 4096 whatever they hold:
    // read to the end, up to the limit.
    char buffer[4096];
    while (content.size() < limit) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof(buffer), limit - content.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            problem = path + ": " + std::strerror(errno);
            ::close(fd);
            return Result::kUnreadable;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return Result::kRead;
}

std::string CRegularFile::ReadOrEmpty(const std::string& path, size_t limit) {
    std::string content, problem;
    return Read(path, content, problem, limit) == Result::kRead ? content : std::string();
}
