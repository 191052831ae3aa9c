// The library loader for a program directory given on the command line. A
// bare name resolves through the executable's RUNPATH ($ORIGIN), that is the
// directory the program was started from; a program directory chosen with
// --dir must bring its own library instead, since the simulator keeps its
// chip beside the library and kelvane-simctl --dir drives that one.
#pragma once

#include <string>

#include "platform/CDlLibraryLoader.h"

class CProgramDirectoryLoader : public CDlLibraryLoader {
public:
    explicit CProgramDirectoryLoader(std::string directory) : m_directory(std::move(directory)) {}
    // The library of that name in the directory, or null when it is not there.
    void* Open(const std::string& name) override;

private:
    std::string m_directory;
};
