// The private-profile (INI) store: integer and string reads and string writes
// on named files, with the semantics of the platform profile functions the
// program was designed on.
#pragma once

#include <string>
#include <string_view>

class IPrivateProfile {
public:
    virtual ~IPrivateProfile() = default;

    // Optional sign and leading decimal digits of the value ("350abc" is 350,
    // "abc" is 0); a missing file, section or key, or an empty value, gives
    // defaultValue. Section and key names are compared without case.
    virtual int GetInt(const std::string& path, std::string_view section, std::string_view key,
                       int defaultValue) const = 0;

    // The value as written (trailing blanks kept), or defaultValue when the
    // key is missing; either is cut to bufferSize - 1 characters, as a
    // caller's character buffer of that size would hold it.
    virtual std::string GetString(const std::string& path, std::string_view section,
                                  std::string_view key, std::string_view defaultValue,
                                  std::size_t bufferSize = 256) const = 0;

    // Replaces the key's value, adds a missing key at the end of its section
    // and a missing section at the end of the file, creates a missing file,
    // and keeps every other line byte for byte. False when the names or the
    // value cannot be stored in a profile line, or the file cannot be written.
    virtual bool WriteString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view value) = 0;

    // True when the file exists and can be opened for reading as a file.
    virtual bool CanOpen(const std::string& path) const = 0;

    // Between BeginReadPass and EndReadPass every read of a file sees it as
    // its first read in the pass found it (a write through this store is
    // seen at once): a load of many keys opens each file once and takes all
    // of them from one version of it. Passes nest; outside them every read
    // sees the file as it is. CProfileReadPass pairs the two calls.
    virtual void BeginReadPass() const {}
    virtual void EndReadPass() const {}

    // Between BeginWritePass and EndWritePass the writes to a file are
    // gathered, seen at once by every read through this store, and the file
    // is written once when the outermost pass ends: a save of many keys
    // writes and flushes it once, and a crash leaves it whole as it was
    // before the save or after it. A write that cannot be taken (names,
    // value, a file that cannot be kept) is refused at once as outside a
    // pass; EndWritePass is false when a file could not be written. Passes
    // nest and hold for every thread. CProfileWritePass pairs the two calls.
    virtual void BeginWritePass() {}
    virtual bool EndWritePass() { return true; }
};
