// The library loader over dlopen: a bare name is looked for in the program
// directory first, then on the system library path. The executables also carry
// RUNPATH $ORIGIN, but a sanitizer runtime that intercepts dlopen resolves bare
// names without the caller's RUNPATH, so the program directory is tried by
// full path before the bare name is handed to the dynamic loader.
#pragma once

#include <string>

#include "platform/ILibraryLoader.h"

class CDlLibraryLoader : public ILibraryLoader {
public:
    // The directory of the running executable.
    CDlLibraryLoader();
    explicit CDlLibraryLoader(std::string programDirectory);

    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;

private:
    std::string m_programDirectory;
};
