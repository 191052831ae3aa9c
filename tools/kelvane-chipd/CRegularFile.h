// Reading the service's configuration, its journal and the files under its
// root prefix (/proc/ioports, sysfs attributes, /proc/PID/status): only
// regular files, opened without blocking and without following a link at
// the last step (unless asked to), and at most a bounded number of bytes. A FIFO, device or
// directory in such a place is an error naming it, never a hang.
#pragma once

#include <cstddef>
#include <string>

class CRegularFile {
public:
    enum class Result { kRead, kAbsent, kNotRegular, kUnreadable };
    enum class Links { kRefuse, kFollow };

    static constexpr size_t kDefaultLimit = 64 * 1024;

    // content: the first limit bytes; problem: "PATH: not a regular file" ...
    static Result Read(const std::string& path, std::string& content, std::string& problem,
                       size_t limit = kDefaultLimit, Links links = Links::kRefuse);
    // The content, or "" for anything but a readable regular file.
    static std::string ReadOrEmpty(const std::string& path, size_t limit = kDefaultLimit);
};
