// The service's connected clients and the as-found record of the chip they
// share: before the first write to a register (per bank where the bank
// matters) its value is recorded, and when the last client leaves (closed,
// killed: the socket ends either way) the recorded values are due to be
// written back, so the chip is left as it was found.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "chipproto/ChipFrame.h"

class CClientRegistry {
public:
    struct CClient {
        pid_t pid = 0;
        uid_t uid = 0;
    };
    struct CAsFound {
        ChipFrame::CRegisterAddress address;
        uint8_t value = 0;
    };

    void Add(int id, const CClient& client) { m_clients[id] = client; }
    // True when that client was the last one.
    bool Remove(int id);
    size_t Count() const { return m_clients.size(); }
    bool Has(int id) const { return m_clients.count(id) != 0; }

    // The record's key of a register: the bank only where it matters.
    static ChipFrame::CRegisterAddress Key(const ChipFrame::CRegisterAddress& address);
    bool Recorded(const ChipFrame::CRegisterAddress& address) const;
    void Record(const ChipFrame::CRegisterAddress& address, uint8_t value);
    // The record in the order it was taken, emptied.
    std::vector<CAsFound> TakeAsFound();
    const std::vector<CAsFound>& AsFound() const { return m_asFound; }

private:
    std::map<int, CClient> m_clients;
    std::vector<CAsFound> m_asFound;
};
