#include "platform/CDlLibraryLoader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace {

std::string ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

}  // namespace

CDlLibraryLoader::CDlLibraryLoader() : m_programDirectory(ExecutableDirectory()) {}

CDlLibraryLoader::CDlLibraryLoader(std::string programDirectory) : m_programDirectory(std::move(programDirectory)) {}

void* CDlLibraryLoader::Open(const std::string& name) {
    if (name.find('/') == std::string::npos && !m_programDirectory.empty()) {
        const std::string besideProgram = m_programDirectory + "/" + name;
        if (::access(besideProgram.c_str(), R_OK) == 0) {
            if (void* handle = ::dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
        }
    }
    return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* CDlLibraryLoader::Symbol(void* handle, const char* name) {
    return handle ? ::dlsym(handle, name) : nullptr;
}

void CDlLibraryLoader::Close(void* handle) {
    if (handle) ::dlclose(handle);
}
