// Bounded access to one sysfs attribute file. An attribute is a short line
// of text; anything else found at its path (a huge file, garbage, a FIFO, a
// device, a directory) is a failed read, never a blocked or unbounded one.
#pragma once

#include <cstdint>
#include <string>

class CSysfsFile {
 public:
  // The longest attribute text accepted (sysfs values are a few bytes).
  static constexpr size_t kMaxAttributeBytes = 64;

  // The text of a regular file of at most kMaxAttributeBytes, without its
  // trailing whitespace. False for anything else.
  static bool ReadText(const std::string& path, std::string& text);
  // One decimal integer, optionally signed, with nothing but whitespace
  // around it.
  static bool ReadInteger(const std::string& path, int64_t& value);
  // Writes the value as decimal text; false when the file refuses it.
  static bool WriteInteger(const std::string& path, int64_t value);
  // Whether the permission bits let this process write the file. Checked
  // on the bits alone, as sysfs does: an attribute without a write method
  // has no write bit and refuses root too.
  static bool IsWritable(const std::string& path);
  static bool ParseInteger(const std::string& text, int64_t& value);
};
