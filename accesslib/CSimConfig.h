// The simulator's configuration file "simchip.ini" and the names of its
// settings, shared by the access library (which builds the chip's state from
// the file) and kelvane-simctl (whose "set" takes the same names).
//
//   [Chip]    Model=W83782D | 0x30, VCoreOffset=0|1
//   [Inputs]  IN0..IN9 (V at the pin), TEMP1..TEMP3 (C), FAN1..FAN5 (rpm at full duty)
//   [Faults]  BusErrors=N, BusErrorCode=C, StoppedFan=k[,k...], NoChip=0|1, DriverLoadFails=0|1
#pragma once

#include <string>
#include <string_view>

#include "accesslib/SimChipState.h"

class CSimConfig {
 public:
  static constexpr const char* kFileName = "simchip.ini";
  // Anything longer is not a configuration file; only this much is read.
  static constexpr size_t kMaxFileSize = 64 * 1024;

  // The reference board with every fault off.
  static SimSettings Defaults();

  // Reads a configuration file. A missing or unreadable file gives the
  // defaults; an entry whose name is unknown or whose value does not parse or
  // lies out of range is ignored, so the default stays.
  static SimSettings Load(const std::string& path);
  static SimSettings Parse(std::string_view text);

  // Sets one input or fault by its name (case-insensitive) from its text.
  // On a bad name or value, settings stay as they were and error says why.
  static bool Assign(SimSettings& settings, std::string_view name, std::string_view value, std::string& error);

  // "IN0" ... "FAN5".
  static std::string InputName(int index);
  // The unit shown beside an input: "V", "C" or "rpm".
  static const char* InputUnit(int index);
};
