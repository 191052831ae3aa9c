// Run-time loading of a shared library by bare name and lookup of its
// entry points.
#pragma once

#include <string>

class ILibraryLoader {
public:
    virtual ~ILibraryLoader() = default;
    // A handle, or null when the library cannot be loaded.
    virtual void* Open(const std::string& name) = 0;
    // The entry point, or null when the library lacks it.
    virtual void* Symbol(void* handle, const char* name) = 0;
    virtual void Close(void* handle) = 0;
};
