#include "tools/kelvane-cli/CProgramDirectoryLoader.h"

#include <unistd.h>

void* CProgramDirectoryLoader::Open(const std::string& name) {
    // A path with a "/" is opened as it is, never searched for.
    const std::string beside = m_directory + "/" + name;
    if (!m_systemFallback || ::access(beside.c_str(), F_OK) == 0) return CDlLibraryLoader::Open(beside);
    return CDlLibraryLoader::Open(name);
}
