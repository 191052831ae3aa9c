// The as-found record on disk (default /run/kelvane/chipd.journal), so that
// a service killed while clients had the chip changed puts it back when it
// starts again. The file is replaced whole (a temporary file beside it,
// renamed over it) before the first change it records, so a kill at any
// moment leaves either the old record or the new one. It has to outlive the
// process, not the machine: the chip powers on afresh anyway, hence no sync
// to disk.
//
//   kelvane-chipd journal 1
//   backend ISA ports 0x295/0x296
//   chip 0x30
//   bank 0x80
//   register 0x01 0x53 0x3c      (bank, register, value as found)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/kelvane-chipd/CWriteOwnership.h"

class CJournalFile {
public:
    struct CContent {
        std::string backend;  // the backend's Describe()
        uint8_t chipId = 0;
        uint8_t bank = 0x80;  // 0x4E as the service found it
        std::vector<CWriteOwnership::CValue> registers;
        bool operator==(const CContent&) const;
    };

    explicit CJournalFile(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    bool Save(const CContent& content, std::string& problem) const;
    // The record left by an earlier run; nullopt when there is none, or when
    // it cannot be read or parsed (problem says which).
    std::optional<CContent> Load(std::string& problem) const;
    void Remove() const;

    static std::string Format(const CContent& content);
    static std::optional<CContent> Parse(const std::string& text);

private:
    std::string m_path;
};
