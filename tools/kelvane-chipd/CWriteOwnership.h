// Who wrote which register, so that a client's writes go when it goes.
// Each register written since the service found it keeps its value as
// found and its writers still connected, latest last, each with the value
// it wrote. When a client goes, every register it was the latest writer of
// gets the value of the latest writer still connected, or the value as
// found when there is none; a register somebody wrote after it stays as the
// later writer left it. A register without writers is back as found and
// leaves the record.
#pragma once

#include <cstdint>
#include <vector>

#include "chipproto/ChipFrame.h"

class CWriteOwnership {
public:
    struct CValue {
        ChipFrame::CRegisterAddress address;  // a key: the bank only where it matters
        uint8_t value = 0;
    };

    // The record's key of a register: the bank (bits 2..0) only where it matters.
    static ChipFrame::CRegisterAddress Key(const ChipFrame::CRegisterAddress& address);

    bool Known(const ChipFrame::CRegisterAddress& address) const;
    // The register's value before anybody wrote it; recorded once.
    void Found(const ChipFrame::CRegisterAddress& address, uint8_t value);
    // Drops a register found but never written.
    void Forget(const ChipFrame::CRegisterAddress& address);
    // A write of a Known register by client.
    void Wrote(int client, const ChipFrame::CRegisterAddress& address, uint8_t value);
    // The client is gone: what to write back, in the order of the record.
    std::vector<CValue> Leave(int client);
    // The values as found of every register in the record, which is emptied.
    std::vector<CValue> TakeAll();
    std::vector<CValue> AsFound() const;
    bool Empty() const { return m_entries.empty(); }

private:
    struct CWriter {
        int client;
        uint8_t value;
    };
    struct CEntry {
        ChipFrame::CRegisterAddress key;
        uint8_t asFound;
        std::vector<CWriter> writers;
    };
    CEntry* Find(const ChipFrame::CRegisterAddress& key);

    std::vector<CEntry> m_entries;
};
