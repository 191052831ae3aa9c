#include "accesslib/hwmon/HwmonDrivers.h"

#include <array>

namespace {

constexpr std::array<HwmonDriverModel, 7> kModels = {{
    {"w83781d", "w83781d", "W83781D", "W83781D_C", 0x11},
    {"w83782d", "w83781d", "W83782D", "W83782D", 0x30},
    {"w83783s", "w83781d", "W83783S", "W83783S", 0x40},
    {"w83627hf", "w83627hf", "W83627HF", "W83627F", 0x21},
    {"w83697hf", "w83627hf", "W83697HF", "W83697F", 0x60},
    {"w83637hf", "w83627hf", "W83637HF", "W83637HF", 0x80},
    {"w83791d", "w83791d", "W83791D", "W83791D_C", 0x71},
}};

}  // namespace

std::span<const HwmonDriverModel> HwmonDriverModels() { return kModels; }

const HwmonDriverModel* FindHwmonDriverModel(std::string_view hwmonName) {
  for (const HwmonDriverModel& model : kModels) {
    if (model.hwmonName == hwmonName) return &model;
  }
  return nullptr;
}
