#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/kelvane-cli/CKelvaneCli.h"

int main(int argc, char** argv) {
    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    CKelvaneCli cli(ec ? std::string("./kelvane-cli") : exe, std::cout, std::cerr);
    return cli.Run(std::vector<std::string>(argv + 1, argv + argc));
}
