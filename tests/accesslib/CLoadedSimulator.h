// A private copy of the simulator build of libWbcdflsh.so, loaded with dlopen
// from a fresh temporary directory that holds its own simchip.ini, so every
// test drives its own chip through the real entry points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "accesslib/Wbcdflsh.h"

class CLoadedSimulator {
 public:
  // Writes ini as simchip.ini beside the copy (nothing when ini is empty).
  explicit CLoadedSimulator(const std::string& ini = "");
  ~CLoadedSimulator();
  CLoadedSimulator(const CLoadedSimulator&) = delete;
  CLoadedSimulator& operator=(const CLoadedSimulator&) = delete;

  // The directory of the test binary: the program directory of the build.
  static std::string ProgramDirectory();

  bool Loaded() const { return m_handle != nullptr && inPort && outPort && initialBus && loadDriver && blockRead; }
  const std::string& Directory() const { return m_directory; }
  std::string StatePath() const { return m_directory + "/simchip.state"; }

  // One register transfer as the engine does it, failing the test on a port error.
  uint8_t Read(uint8_t reg);
  void Write(uint8_t reg, uint8_t value);
  // Bank selection as the engine does it: bit 7 of 0x4E is kept.
  void SelectBank(uint8_t bank);
  uint8_t ReadBanked(uint8_t bank, uint8_t reg);
  void WriteBanked(uint8_t bank, uint8_t reg, uint8_t value);

  // The engine's detection: vendor value at 0x4F, else at 0x4C/0x4D; the
  // identification from 0x58, or 0x4E on the alternate path (0x60 there is
  // recorded as 0x61). -1 when no chip is accepted.
  int DetectChip();

  // Runs the built kelvane-simctl on this directory; returns its exit status.
  int Simctl(const std::vector<std::string>& arguments, std::string* errorOutput = nullptr);

  InPortBFn inPort = nullptr;
  OutPortBFn outPort = nullptr;
  InitialBusFn initialBus = nullptr;
  LoadWBCDFlshVxDFn loadDriver = nullptr;
  I2CBlockReadFn blockRead = nullptr;

 private:
  std::string m_directory;
  void* m_handle = nullptr;
};

// The whole content of a file ("" when it cannot be read).
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);
