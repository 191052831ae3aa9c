// The service's register operations, apart from any socket: the vendor check
// before anything is served, atomic banked transfers (bank select, transfer,
// bank restore as one operation), batches of reads, the request policy, the
// clients' rights, and the record of the clients' writes: a client's writes
// are undone when it goes (CWriteOwnership), and the values as found are
// kept in the journal before the chip is changed, so that a service killed
// meanwhile restores them when it starts again. One operation runs at a
// time, which serialises the clients.
#pragma once

#include <cstdint>
#include <string>

#include "chipproto/ChipFrame.h"
#include "tools/kelvane-chipd/CClientRegistry.h"
#include "tools/kelvane-chipd/CJournalFile.h"
#include "tools/kelvane-chipd/CRequestPolicy.h"
#include "tools/kelvane-chipd/CWriteOwnership.h"
#include "tools/kelvane-chipd/IChipBackend.h"

class CChipService {
public:
    static constexpr uint16_t kVendorValue = 0x5CA3;

    // journal: where the record of values as found is kept; null keeps it
    // in memory only.
    CChipService(IChipBackend& backend, const CRequestPolicy& policy, const CJournalFile* journal = nullptr)
        : m_backend(backend), m_policy(policy), m_journal(journal) {}

    // Puts back what a journal left by an earlier run records, then the
    // vendor check (0x4F with bit 7 of 0x4E set and clear, else the
    // alternate 0x4C/0x4D) and the identification; 0x4E is put back as it
    // was found. False: no chip; every request is then refused.
    bool Start();
    bool HasChip() const { return m_hasChip; }
    uint8_t ChipId() const { return m_chipId; }
    bool AlternateId() const { return m_alternate; }
    uint8_t RestingBank() const { return m_resting; }
    // What Start did with a journal it found, in words ("" when none).
    const std::string& JournalReport() const { return m_journalReport; }

    void Connect(int client, const CClientRegistry::CClient& peer) { m_clients.Add(client, peer); }
    // Every register the client was the latest writer of is put back.
    void Disconnect(int client);
    // Writes every value as found back now (the service is stopping) and
    // removes the journal.
    void RestoreAsFound();

    ChipFrame::CResponse Serve(int client, const ChipFrame::CRequest& request);

    const CClientRegistry& Clients() const { return m_clients; }
    const CWriteOwnership& Writes() const { return m_writes; }
    uint32_t FramesServed() const { return m_framesServed; }

private:
    bool Read(const ChipFrame::CRegisterAddress& address, uint8_t& value);
    bool Write(const ChipFrame::CRegisterAddress& address, uint8_t value);
    bool SelectBank(uint8_t bank);
    bool Identify(uint8_t found);
    void RestoreJournal(const CJournalFile::CContent& left);
    // The journal as the record stands; false when it could not be written.
    bool SaveJournal();
    ChipFrame::Status ServeWrite(int client, const ChipFrame::CRequest& request);
    ChipFrame::Status ServeBatch(const ChipFrame::CRequest& request, std::vector<uint8_t>& values);

    IChipBackend& m_backend;
    CRequestPolicy m_policy;
    const CJournalFile* m_journal;
    CClientRegistry m_clients;
    CWriteOwnership m_writes;
    bool m_hasChip = false;
    bool m_alternate = false;
    uint8_t m_chipId = 0;
    uint8_t m_resting = 0x80;
    uint32_t m_framesServed = 0;
    std::string m_journalReport;
};
