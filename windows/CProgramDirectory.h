// Where the program's own files lie: the directory of the running executable.
#pragma once

#include <string>
#include <string_view>

class CProgramDirectory {
public:
    // The directory of /proc/self/exe without a trailing "/" ("" for a
    // program in "/", so that directory + "/Root.ini" still names the file).
    // Empty when the link cannot be read.
    static std::string GetProgramDirectory();

    // The part of an executable path before its last "/"; a path without "/"
    // gives empty text.
    static std::string DirectoryOf(std::string_view executablePath);
};
