#include "tests/accesslib/CLoadedSimulator.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
}

std::string CLoadedSimulator::ProgramDirectory() {
  char path[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (length <= 0) return ".";
  return std::filesystem::path(std::string(path, static_cast<size_t>(length))).parent_path().string();
}

CLoadedSimulator::CLoadedSimulator(const std::string& ini) {
  std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-sim-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return;
  m_directory = pattern;
  if (!ini.empty()) WriteWholeFile(m_directory + "/simchip.ini", ini);
  const std::string copy = m_directory + "/libWbcdflsh.so";
  std::error_code error;
  std::filesystem::copy_file(ProgramDirectory() + "/libWbcdflsh.so", copy, error);
  if (error) return;
  m_handle = ::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_handle) return;
  inPort = reinterpret_cast<InPortBFn>(::dlsym(m_handle, "InPortB"));
  outPort = reinterpret_cast<OutPortBFn>(::dlsym(m_handle, "OutPortB"));
  initialBus = reinterpret_cast<InitialBusFn>(::dlsym(m_handle, "InitialBus"));
  loadDriver = reinterpret_cast<LoadWBCDFlshVxDFn>(::dlsym(m_handle, "LoadWBCDFlshVxD"));
  blockRead = reinterpret_cast<I2CBlockReadFn>(::dlsym(m_handle, "I2CBlockRead"));
}

CLoadedSimulator::~CLoadedSimulator() {
  if (m_handle) ::dlclose(m_handle);
  if (!m_directory.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_directory, ignored);
  }
}

uint8_t CLoadedSimulator::Read(uint8_t reg) {
  int16_t error = -1;
  outPort(kChipAddressPort, reg, &error);
  EXPECT_EQ(error, 0) << "address phase of register 0x" << std::hex << int(reg);
  const uint8_t value = inPort(kChipDataPort, &error);
  EXPECT_EQ(error, 0) << "data phase of register 0x" << std::hex << int(reg);
  return value;
}

void CLoadedSimulator::Write(uint8_t reg, uint8_t value) {
  int16_t error = -1;
  outPort(kChipAddressPort, reg, &error);
  EXPECT_EQ(error, 0) << "address phase of register 0x" << std::hex << int(reg);
  outPort(kChipDataPort, value, &error);
  EXPECT_EQ(error, 0) << "data phase of register 0x" << std::hex << int(reg);
}

void CLoadedSimulator::SelectBank(uint8_t bank) {
  const uint8_t current = Read(0x4E);
  Write(0x4E, static_cast<uint8_t>(bank | (current & 0x80)));
}

uint8_t CLoadedSimulator::ReadBanked(uint8_t bank, uint8_t reg) {
  SelectBank(bank);
  return Read(reg);
}

void CLoadedSimulator::WriteBanked(uint8_t bank, uint8_t reg, uint8_t value) {
  SelectBank(bank);
  Write(reg, value);
}

int CLoadedSimulator::DetectChip() {
  if (initialBus(1, 0x5A, 0x92, 0x90) != 0) return -1;
  SelectBank(0);
  Write(0x4E, static_cast<uint8_t>(Read(0x4E) | 0x80));
  const int high = Read(0x4F);
  SelectBank(0);
  Write(0x4E, static_cast<uint8_t>(Read(0x4E) & 0x7F));
  const int low = Read(0x4F);
  bool alternate = false;
  if (high * 256 + low != 0x5CA3) {
    if (Read(0x4D) * 256 + Read(0x4C) != 0x5CA3) return -1;
    alternate = true;
  }
  SelectBank(0);
  if (!alternate) return Read(0x58);
  const int id = Read(0x4E);
  return id == 0x60 ? 0x61 : id;
}

int CLoadedSimulator::Simctl(const std::vector<std::string>& arguments, std::string* errorOutput) {
  const std::string tool = ProgramDirectory() + "/kelvane-simctl";
  const std::string errorPath = m_directory + "/simctl.err";
  std::vector<std::string> all = {tool};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int err = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = ::open("/dev/null", O_WRONLY);
    if (err >= 0) ::dup2(err, STDERR_FILENO);
    if (null >= 0) ::dup2(null, STDOUT_FILENO);
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
  if (errorOutput) *errorOutput = ReadWholeFile(errorPath);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
