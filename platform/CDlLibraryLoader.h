// The library loader over dlopen: a bare name is searched in the program
// directory first (the executables carry RUNPATH $ORIGIN), then the system
// library path.
#pragma once

#include "platform/ILibraryLoader.h"

class CDlLibraryLoader : public ILibraryLoader {
public:
    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;
};
