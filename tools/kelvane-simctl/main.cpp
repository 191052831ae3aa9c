#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/CInstalledLayout.h"
#include "tools/kelvane-simctl/CSimCtl.h"

namespace {

// The tool lives in the program directory, beside the library and its state.
std::string OwnDirectory() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return ".";
  const std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : exe.substr(0, slash));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  const std::string directory = CInstalledLayout::ProgramDirectory(OwnDirectory(), std::getenv, error);
  if (directory.empty() && !error.empty()) {
    std::cerr << "kelvane-simctl: " << error << std::endl;
    return 1;
  }
  CSimCtl tool(directory, std::cout, std::cerr);
  return tool.Run(arguments);
}
