#include "platform/CDlLibraryLoader.h"

#include <dlfcn.h>

void* CDlLibraryLoader::Open(const std::string& name) { return ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* CDlLibraryLoader::Symbol(void* handle, const char* name) {
    return handle ? ::dlsym(handle, name) : nullptr;
}

void CDlLibraryLoader::Close(void* handle) {
    if (handle) ::dlclose(handle);
}
