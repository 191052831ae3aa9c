// The service's register operations, apart from any socket: the vendor check
// before anything is served, atomic banked transfers (bank select, transfer,
// bank restore as one operation), batches of reads, the request policy and
// the as-found record of the clients' writes. One operation runs at a time,
// which serialises the clients.
#pragma once

#include <cstdint>
#include <string>

#include "tools/kelvane-chipd/CClientRegistry.h"
#include "tools/kelvane-chipd/CRequestPolicy.h"
#include "chipproto/ChipFrame.h"
#include "tools/kelvane-chipd/IChipBackend.h"

class CChipService {
public:
    static constexpr uint16_t kVendorValue = 0x5CA3;

    CChipService(IChipBackend& backend, const CRequestPolicy& policy) : m_backend(backend), m_policy(policy) {}

    // The vendor check (0x4F with bit 7 of 0x4E set and clear, else the
    // alternate 0x4C/0x4D) and the identification; 0x4E is put back as it
    // was found. False: no chip; every request is then refused.
    bool Start();
    bool HasChip() const { return m_hasChip; }
    uint8_t ChipId() const { return m_chipId; }
    bool AlternateId() const { return m_alternate; }
    uint8_t RestingBank() const { return m_resting; }

    void Connect(int client, const CClientRegistry::CClient& peer) { m_clients.Add(client, peer); }
    // When the last client is gone, the as-found record is written back.
    void Disconnect(int client);
    // Writes the as-found record back now (the service is stopping).
    void RestoreAsFound();

    ChipFrame::CResponse Serve(const ChipFrame::CRequest& request);

    const CClientRegistry& Clients() const { return m_clients; }
    uint32_t FramesServed() const { return m_framesServed; }

private:
    bool Read(const ChipFrame::CRegisterAddress& address, uint8_t& value);
    bool Write(const ChipFrame::CRegisterAddress& address, uint8_t value);
    bool SelectBank(uint8_t bank);
    bool ReadVendor(uint8_t bankHigh, uint8_t bankLow, uint16_t& vendor);

    IChipBackend& m_backend;
    CRequestPolicy m_policy;
    CClientRegistry m_clients;
    bool m_hasChip = false;
    bool m_alternate = false;
    uint8_t m_chipId = 0;
    uint8_t m_resting = 0x80;
    uint32_t m_framesServed = 0;
};
