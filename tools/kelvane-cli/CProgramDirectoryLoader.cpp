#include "tools/kelvane-cli/CProgramDirectoryLoader.h"

void* CProgramDirectoryLoader::Open(const std::string& name) {
    // Always a path with a "/", so dlopen never searches elsewhere.
    return CDlLibraryLoader::Open(m_directory + "/" + name);
}
