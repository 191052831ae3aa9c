#include <iostream>
#include <string>
#include <vector>

#include "tools/kelvane-maildrill/CMailDrill.h"
#include "windows/CProgramDirectory.h"

int main(int argc, char** argv)
{
    CMailDrill drill(std::cout, std::cerr);
    CMailDrill::Options options;
    if (!drill.ParseArguments(std::vector<std::string>(argv + 1, argv + argc), options)) return CMailDrill::kBadInput;
    // Like the program, the drill works on the directory it was started from.
    options.programDirectory = CProgramDirectory::GetProgramDirectory();
    return drill.Run(options);
}
