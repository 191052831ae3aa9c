// Every build of libWbcdflsh.so exports the fourteen entry points, and nothing else.
#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "accesslib/Wbcdflsh.h"
#include "tests/accesslib/CLoadedSimulator.h"

namespace {

// The names of the defined global and weak symbols in an ELF64 file's dynamic
// symbol table, every offset checked against the file's size.
std::set<std::string> ExportedSymbols(const std::string& image) {
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr header;
  std::memcpy(&header, image.data(), sizeof(header));
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) return names;
  auto section = [&](size_t index, Elf64_Shdr& out) {
    const size_t offset = header.e_shoff + index * sizeof(Elf64_Shdr);
    if (index >= header.e_shnum || offset + sizeof(Elf64_Shdr) > image.size()) return false;
    std::memcpy(&out, image.data() + offset, sizeof(out));
    return true;
  };
  for (size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr symbols, strings;
    if (!section(i, symbols) || symbols.sh_type != SHT_DYNSYM || !section(symbols.sh_link, strings)) continue;
    if (symbols.sh_offset + symbols.sh_size > image.size() || strings.sh_offset + strings.sh_size > image.size()) {
      continue;
    }
    for (size_t at = 0; at + sizeof(Elf64_Sym) <= symbols.sh_size; at += sizeof(Elf64_Sym)) {
      Elf64_Sym symbol;
      std::memcpy(&symbol, image.data() + symbols.sh_offset + at, sizeof(symbol));
      const int binding = ELF64_ST_BIND(symbol.st_info);
      if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
      if (symbol.st_name >= strings.sh_size) continue;
      const char* name = image.data() + strings.sh_offset + symbol.st_name;
      names.insert(std::string(name, strnlen(name, strings.sh_size - symbol.st_name)));
    }
  }
  return names;
}

}  // namespace

TEST(AccessLibraryBuilds, ExportExactlyTheFourteenEntryPointsAndResolveThem) {
  const std::set<std::string> expected(std::begin(kWbcdflshEntryNames), std::end(kWbcdflshEntryNames));
  for (const std::string relative :
       {"/libWbcdflsh.so", "/portio/libWbcdflsh.so", "/client/libWbcdflsh.so", "/hwmon/libWbcdflsh.so"}) {
    SCOPED_TRACE(relative);
    const std::string path = CLoadedSimulator::ProgramDirectory() + relative;
    EXPECT_EQ(ExportedSymbols(ReadWholeFile(path)), expected);
    // Loading runs no port I/O: the port-I/O build only opens its ports when
    // the driver is loaded, which this test never asks for.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    for (const char* name : kWbcdflshEntryNames) EXPECT_NE(::dlsym(handle, name), nullptr) << name;
    ::dlclose(handle);
  }
}
