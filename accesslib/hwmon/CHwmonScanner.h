// Lists the hwmon chips under a sysfs root (/sys on a running system, a
// recorded or generated tree in tests and bug reports): every
// class/hwmon/hwmonN with its name, device and driver, and whether Kelvane
// can read it. A chip is known by its name and device path; the number N
// changes between boots and is only where it was found this time.
//
// Plain C++ without Qt, so that the access library and the programs share it.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct HwmonDriverModel;

struct HwmonChipInfo {
  // "hwmon2": where the chip was found this time.
  std::string hwmonEntry;
  // The directory that holds `name` and the attributes: hwmonN itself, or
  // hwmonN/device for drivers registered the older way.
  std::string attributeDirectory;
  // The contents of the name file ("w83627hf").
  std::string name;
  // The resolved device link, below the sysfs root ("/devices/platform/
  // w83627hf.656"); empty for a chip without a device (a virtual one).
  std::string devicePath;
  // The driver bound to the device ("w83627hf"), empty when none is.
  std::string driver;
  // The supported model of this name, nullptr when Kelvane does not read it.
  const HwmonDriverModel* model = nullptr;

  bool Supported() const { return model != nullptr; }
};

class CHwmonScanner {
 public:
  // The variable that moves the sysfs root for every Kelvane program and the
  // hwmon build of the access library.
  static constexpr const char* kRootVariable = "KELVANE_SYSFS_ROOT";
  static constexpr const char* kDefaultRoot = "/sys";

  explicit CHwmonScanner(std::string sysfsRoot = kDefaultRoot);

  // KELVANE_SYSFS_ROOT when set and not empty, else /sys.
  static std::string RootFromEnvironment();

  const std::string& Root() const { return m_root; }

  // Every hwmon chip, ordered by device path, then name, then entry.
  std::vector<HwmonChipInfo> Scan() const;
  // The chip with this name and device path, wherever it is numbered now.
  std::optional<HwmonChipInfo> Find(const std::string& name, const std::string& devicePath) const;
  // The first supported chip bound to its driver, in Scan's order.
  std::optional<HwmonChipInfo> FirstSupported() const;

 private:
  std::optional<HwmonChipInfo> Inspect(const std::string& entry) const;
  std::string BelowRoot(const std::string& resolved) const;

  std::string m_root;
  std::string m_resolvedRoot;
};
