// The kernel hwmon drivers Kelvane reads a chip through, as data: for each
// hwmon `name` the driver that registers it, the part, the descriptor model
// the engine picks for it and the identification the chip would report.
//
// The drivers name a chip after its part, not its revision: "w83781d" stands
// for both W83781D revisions and "w83791d" for both W83791D revisions. Their
// descriptors describe the same registers, so the later revision (the one the
// shipping parts report) is the one presented.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct HwmonDriverModel {
  std::string_view hwmonName;   // the hwmon `name` file ("w83627hf")
  std::string_view driver;      // the kernel driver ("w83627hf")
  std::string_view part;        // the part ("W83627HF")
  std::string_view descriptor;  // the chip model / descriptor name ("W83627F")
  uint8_t chipId;               // what register 0x58 reports for it
};

std::span<const HwmonDriverModel> HwmonDriverModels();

// The entry of a hwmon name, or nullptr for a chip Kelvane does not support.
const HwmonDriverModel* FindHwmonDriverModel(std::string_view hwmonName);
