// A sysfs tree laid out as the kernel's hwmon drivers lay it out, in a
// directory of the test's own: class/hwmon/hwmonN links to the device's
// hwmon/hwmonN, a device link back, the driver link on the device, and
// exactly the attribute files the driver creates for the model. Values are
// the driver's units (mV at the pin, millidegrees, RPM).
#pragma once

#include <cstdint>
#include <string>

class CHwmonFixture {
 public:
  // Where the driver keeps name and the attributes: on the device (the
  // older registration the three drivers use) or in hwmonN/ itself.
  enum class Layout { kOnDevice, kInHwmonDirectory };

  explicit CHwmonFixture(std::string root) : m_root(std::move(root)) {}

  const std::string& Root() const { return m_root; }

  // Adds a chip by its hwmon name ("w83627hf", "w83783s"...) as hwmon<number>
  // with every attribute at a plausible value; returns its attribute
  // directory. An unknown name gets only its name file (a chip Kelvane does
  // not read, "coretemp" and the like).
  std::string AddChip(const std::string& name, int number, Layout layout = Layout::kOnDevice);
  // The device path below the root ("/devices/platform/w83627hf.656").
  static std::string DevicePath(const std::string& name);
  static std::string DriverOf(const std::string& name);

  // Unloading the driver takes hwmonN and the attributes away; loading it
  // again brings them back under another number, with their values.
  void UnloadDriver(const std::string& name);
  void LoadDriver(const std::string& name, int number);

  // An attribute of the chip added last (or of the named one).
  std::string Path(const std::string& attribute) const { return m_attributes + "/" + attribute; }
  void Set(const std::string& attribute, int64_t value) const;
  void SetText(const std::string& attribute, const std::string& text) const;
  std::string Get(const std::string& attribute) const;
  bool Has(const std::string& attribute) const;
  // Every writable attribute of the chip made read-only (a plain user's view).
  void MakeReadOnly() const;

 private:
  std::string m_root;
  std::string m_attributes;
  std::string m_saved;
};
