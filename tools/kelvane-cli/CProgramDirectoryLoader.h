// The access library of the program directory. The library is looked for in
// the program directory first, as the executable's RUNPATH ($ORIGIN) would,
// but by its full path: a bare-name dlopen resolves RUNPATH from the object
// that calls dlopen, and that is not this program when a sanitizer runtime
// intercepts the call. A library that is not there is then looked up by its
// bare name on the system library path, when the search is allowed to go
// that far.
//
// A program directory chosen with --dir must bring its own library: the
// simulator keeps its chip beside the library, and kelvane-simctl --dir
// drives that one.
#pragma once

#include <string>

#include "platform/CDlLibraryLoader.h"

class CProgramDirectoryLoader : public CDlLibraryLoader {
public:
    CProgramDirectoryLoader(std::string directory, bool systemFallback)
        : m_directory(std::move(directory)), m_systemFallback(systemFallback) {}
    // The library of that name in the directory; else, with the fallback,
    // the system's library of that name; else null.
    void* Open(const std::string& name) override;

private:
    std::string m_directory;
    bool m_systemFallback;
};
