#include "tests/accesslib/CHwmonFixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ChipLayout {
  const char* name;
  const char* driver;
  const char* device;  // below the root
  std::vector<int> volts, fans, temps, pwms, pwmEnables;
  bool tempType, pwmFreq, beepEnable, perItemAlarms;
  bool tempTarget;
};

// The attributes each driver creates, per model (kernel w83781d, w83627hf,
// w83791d). ISA chips sit on platform devices named after the driver and
// base address (0x290 = 656), SMBus ones on i2c-0 at 0x2d.
const std::vector<ChipLayout>& Layouts() {
  static const std::vector<ChipLayout> layouts = {
      {"w83781d", "w83781d", "/devices/platform/w83781d.656", {0, 1, 2, 3, 4, 5, 6}, {1, 2, 3}, {1, 2, 3}, {}, {},
       false, false, true, true, false},
      {"w83782d", "w83781d", "/devices/platform/w83781d.656", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3}, {1, 2, 3},
       {1, 2}, {2}, true, false, true, true, false},
      {"w83783s", "w83781d", "/devices/pci0000:00/0000:00:1f.3/i2c-0/0-002d", {0, 2, 3, 4, 5, 6}, {1, 2, 3}, {1, 2},
       {1, 2}, {2}, true, false, true, true, false},
      {"w83627hf", "w83627hf", "/devices/platform/w83627hf.656", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3}, {1, 2, 3},
       {1, 2}, {}, true, true, false, true, false},
      {"w83697hf", "w83627hf", "/devices/platform/w83627hf.656", {0, 2, 3, 4, 5, 6, 7, 8}, {1, 2}, {1, 2}, {1, 2},
       {1, 2}, true, true, false, true, false},
      {"w83637hf", "w83627hf", "/devices/platform/w83627hf.656", {0, 1, 2, 3, 4, 7, 8}, {1, 2, 3}, {1, 2, 3},
       {1, 2, 3}, {1, 2, 3}, true, true, false, true, false},
      {"w83791d", "w83791d", "/devices/pci0000:00/0000:00:1f.3/i2c-0/0-002c", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
       {1, 2, 3, 4, 5}, {1, 2, 3}, {1, 2, 3, 4, 5}, {1, 2, 3}, false, false, true, true, true},
  };
  return layouts;
}

const ChipLayout* LayoutOf(const std::string& name) {
  for (const ChipLayout& layout : Layouts()) {
    if (name == layout.name) return &layout;
  }
  return nullptr;
}

void WriteFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
  std::ofstream(path, std::ios::trunc) << text;
  ::chmod(path.c_str(), mode);
}

std::string Number(int64_t value) { return std::to_string(value) + "\n"; }

void WriteAttributes(const std::string& dir, const ChipLayout& chip) {
  auto rw = [&](const std::string& name, int64_t value) { WriteFile(dir + "/" + name, Number(value), 0644); };
  auto ro = [&](const std::string& name, int64_t value) { WriteFile(dir + "/" + name, Number(value), 0444); };
  for (int in : chip.volts) {
    const std::string p = "in" + std::to_string(in);
    const int64_t mv = 1200 + 250 * in;
    ro(p + "_input", mv);
    rw(p + "_min", mv - 304);
    rw(p + "_max", mv + 304);
    if (chip.perItemAlarms) {
      ro(p + "_alarm", 0);
      rw(p + "_beep", 0);
    }
  }
  for (int fan : chip.fans) {
    const std::string p = "fan" + std::to_string(fan);
    ro(p + "_input", 4500);
    rw(p + "_min", 3000);
    rw(p + "_div", 2);
    if (chip.perItemAlarms) {
      ro(p + "_alarm", 0);
      rw(p + "_beep", 0);
    }
  }
  for (int temp : chip.temps) {
    const std::string p = "temp" + std::to_string(temp);
    ro(p + "_input", 30000 + 4000 * temp);
    rw(p + "_max", 70000);
    rw(p + "_max_hyst", 65000);
    if (chip.tempType) rw(p + "_type", temp == 1 ? 4 : 2);
    if (chip.perItemAlarms) {
      ro(p + "_alarm", 0);
      rw(p + "_beep", 0);
    }
    if (chip.tempTarget) {
      rw(p + "_target", 0);
      rw(p + "_tolerance", 0);
    }
  }
  for (int pwm : chip.pwms) {
    rw("pwm" + std::to_string(pwm), 255);
    if (chip.pwmFreq) rw("pwm" + std::to_string(pwm) + "_freq", 24000);
  }
  for (int pwm : chip.pwmEnables) rw("pwm" + std::to_string(pwm) + "_enable", 1);
  ro("alarms", 0);
  rw("beep_mask", 0);
  if (chip.beepEnable) rw("beep_enable", 1);
  ro("cpu0_vid", 1500);
  rw("vrm", 90);
}

}  // namespace

std::string CHwmonFixture::DevicePath(const std::string& name) {
  const ChipLayout* chip = LayoutOf(name);
  return chip ? chip->device : "/devices/virtual/hwmon-" + name;
}

std::string CHwmonFixture::DriverOf(const std::string& name) {
  const ChipLayout* chip = LayoutOf(name);
  return chip ? chip->driver : "";
}

std::string CHwmonFixture::AddChip(const std::string& name, int number, Layout layout) {
  const ChipLayout* chip = LayoutOf(name);
  const std::string device = m_root + DevicePath(name);
  const std::string entry = "hwmon" + std::to_string(number);
  const std::string hwmon = device + "/hwmon/" + entry;
  fs::create_directories(hwmon);
  fs::create_directories(m_root + "/class/hwmon");
  fs::create_symlink(fs::relative(device, hwmon), hwmon + "/device");
  fs::create_symlink(fs::relative(hwmon, m_root + "/class/hwmon"), m_root + "/class/hwmon/" + entry);
  if (chip) {
    const std::string bus = std::string(chip->device).find("/i2c-") != std::string::npos ? "i2c" : "platform";
    const std::string driver = m_root + "/bus/" + bus + "/drivers/" + chip->driver;
    fs::create_directories(driver);
    fs::create_symlink(fs::relative(driver, device), device + "/driver");
  }
  m_attributes = layout == Layout::kOnDevice ? device : hwmon;
  WriteFile(m_attributes + "/name", name + "\n", 0444);
  if (chip) WriteAttributes(m_attributes, *chip);
  return m_attributes;
}

void CHwmonFixture::UnloadDriver(const std::string& name) {
  const std::string device = m_root + DevicePath(name);
  m_saved = m_root + "-unloaded";
  fs::remove_all(m_saved);
  fs::rename(device, m_saved);
  for (const auto& entry : fs::directory_iterator(m_root + "/class/hwmon")) {
    if (!fs::exists(entry.path())) fs::remove(entry.path());
  }
}

void CHwmonFixture::LoadDriver(const std::string& name, int number) {
  const std::string device = m_root + DevicePath(name);
  fs::rename(m_saved, device);
  const fs::path old = fs::directory_iterator(device + "/hwmon")->path();
  const std::string entry = "hwmon" + std::to_string(number);
  const std::string hwmon = device + "/hwmon/" + entry;
  fs::rename(old, hwmon);
  fs::create_symlink(fs::relative(hwmon, m_root + "/class/hwmon"), m_root + "/class/hwmon/" + entry);
  if (m_attributes.find("/hwmon/hwmon") != std::string::npos) m_attributes = hwmon;
}

void CHwmonFixture::Set(const std::string& attribute, int64_t value) const { SetText(attribute, Number(value)); }

void CHwmonFixture::SetText(const std::string& attribute, const std::string& text) const {
  const std::string path = Path(attribute);
  struct stat info {};
  const mode_t mode = ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
  ::chmod(path.c_str(), 0644);
  WriteFile(path, text, mode);
}

std::string CHwmonFixture::Get(const std::string& attribute) const {
  std::ifstream in(Path(attribute));
  std::ostringstream text;
  text << in.rdbuf();
  std::string value = text.str();
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

bool CHwmonFixture::Has(const std::string& attribute) const { return fs::exists(Path(attribute)); }

void CHwmonFixture::MakeReadOnly() const {
  for (const auto& entry : fs::directory_iterator(m_attributes)) {
    if (entry.is_regular_file()) ::chmod(entry.path().c_str(), 0444);
  }
}
