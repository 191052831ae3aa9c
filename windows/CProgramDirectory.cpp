#include "windows/CProgramDirectory.h"

#include <climits>
#include <unistd.h>

std::string CProgramDirectory::GetProgramDirectory()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    // A result that fills the buffer may have been cut.
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path)
        return {};
    return DirectoryOf(std::string_view(path, static_cast<std::size_t>(n)));
}

std::string CProgramDirectory::DirectoryOf(std::string_view executablePath)
{
    const std::size_t slash = executablePath.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return std::string(executablePath.substr(0, slash));
}
