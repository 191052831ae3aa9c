#include "accesslib/hwmon/CHwmonScanner.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "accesslib/hwmon/CSysfsFile.h"
#include "accesslib/hwmon/HwmonDrivers.h"

namespace {

std::string Resolve(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsHwmonEntry(const char* name) {
  const std::string text = name;
  if (text.size() <= 5 || text.compare(0, 5, "hwmon") != 0) return false;
  return std::all_of(text.begin() + 5, text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CHwmonScanner::CHwmonScanner(std::string sysfsRoot) : m_root(std::move(sysfsRoot)) {
  while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
  if (m_root.empty()) m_root = kDefaultRoot;
  m_resolvedRoot = Resolve(m_root);
}

std::string CHwmonScanner::RootFromEnvironment() {
  const char* root = std::getenv(kRootVariable);
  return root && *root ? std::string(root) : std::string(kDefaultRoot);
}

std::string CHwmonScanner::BelowRoot(const std::string& resolved) const {
  if (resolved.empty()) return {};
  if (m_resolvedRoot.size() > 1 && resolved.compare(0, m_resolvedRoot.size(), m_resolvedRoot) == 0 &&
      (resolved.size() == m_resolvedRoot.size() || resolved[m_resolvedRoot.size()] == '/')) {
    return resolved.substr(m_resolvedRoot.size());
  }
  return resolved;
}

std::optional<HwmonChipInfo> CHwmonScanner::Inspect(const std::string& entry) const {
  const std::string directory = m_root + "/class/hwmon/" + entry;
  HwmonChipInfo info;
  info.hwmonEntry = entry;
  // Newer drivers keep name and attributes in hwmonN/, older ones on the
  // device; hwmonN/ is looked at first.
  if (CSysfsFile::ReadText(directory + "/name", info.name)) {
    info.attributeDirectory = directory;
  } else if (CSysfsFile::ReadText(directory + "/device/name", info.name)) {
    info.attributeDirectory = directory + "/device";
  } else {
    return std::nullopt;
  }
  const std::string device = Resolve(directory + "/device");
  info.devicePath = BelowRoot(device);
  if (!device.empty()) {
    const std::string driver = Resolve(device + "/driver");
    if (!driver.empty()) info.driver = BaseName(driver);
  }
  const HwmonDriverModel* model = FindHwmonDriverModel(info.name);
  // A chip of a supported name bound to some other driver is not the
  // chip the attribute map describes.
  if (model && (info.driver.empty() || info.driver == model->driver)) info.model = model;
  return info;
}

std::vector<HwmonChipInfo> CHwmonScanner::Scan() const {
  std::vector<HwmonChipInfo> chips;
  DIR* directory = ::opendir((m_root + "/class/hwmon").c_str());
  if (!directory) return chips;
  while (const dirent* entry = ::readdir(directory)) {
    if (!IsHwmonEntry(entry->d_name)) continue;
    if (auto info = Inspect(entry->d_name)) chips.push_back(std::move(*info));
  }
  ::closedir(directory);
  std::sort(chips.begin(), chips.end(), [](const HwmonChipInfo& a, const HwmonChipInfo& b) {
    return std::tie(a.devicePath, a.name, a.hwmonEntry) < std::tie(b.devicePath, b.name, b.hwmonEntry);
  });
  return chips;
}

std::optional<HwmonChipInfo> CHwmonScanner::Find(const std::string& name, const std::string& devicePath) const {
  for (HwmonChipInfo& chip : Scan()) {
    if (chip.name == name && chip.devicePath == devicePath) return std::move(chip);
  }
  return std::nullopt;
}

std::optional<HwmonChipInfo> CHwmonScanner::FirstSupported() const {
  for (HwmonChipInfo& chip : Scan()) {
    if (chip.Supported()) return std::move(chip);
  }
  return std::nullopt;
}
