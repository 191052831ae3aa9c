#include <unistd.h>

#include <climits>
#include <iostream>
#include <string>
#include <vector>

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
  CSimCtl tool(OwnDirectory(), std::cout, std::cerr);
  return tool.Run(arguments);
}
