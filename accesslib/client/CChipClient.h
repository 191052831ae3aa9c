// The access library's port interface over kelvane-chipd. The engine selects
// a register at the address port (0x295) and transfers it at the data port
// (0x296); each transfer becomes one register operation of the service in
// the bank this client last selected. The bank register 0x4E is this
// client's own: writes to it only change the bank of the following
// operations (the service selects it and puts it back around each one), and
// reads give it back, except on the alternate parts, where 0x4E reads as the
// identification from the chip.
//
// A client the service lets only read (the hello's reader or read-only
// flag) refuses writes itself, without a round trip. The identification
// registers (0x4F in both vendor-select states, 0x58 of bank 0) never change
// while the service serves a chip: they are answered from the greeting.
//
// Reads are batched: the registers read since the cache was last filled are
// fetched together at the next miss, so a monitoring tick of fifty reads is
// one or two round trips. Cached values live at most kCacheLifetime and any
// write empties the cache. The latched status registers (0x41, 0x42 clear
// when read) are never fetched ahead.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "accesslib/client/CServiceConnection.h"

class CChipClient {
public:
    // Error codes of the transfers, besides 0 (success).
    static constexpr int16_t kErrorPort = 1;             // a port other than 0x295/0x296
    static constexpr int16_t kErrorUnreachable = 2;      // the service does not answer
    static constexpr int16_t kErrorServiceBase = 10;     // + the service's status code
    static constexpr std::chrono::milliseconds kCacheLifetime{250};
    static constexpr size_t kMaxPattern = 256;

    explicit CChipClient(std::string socketPath) : m_connection(std::move(socketPath)) {}

    // Connects and greets the service; 0 when it serves a chip.
    int16_t Open();
    void Close();
    uint8_t In(uint16_t port, int16_t& error);
    void Out(uint16_t port, uint8_t value, int16_t& error);

    uint64_t RoundTrips() const { return m_connection.RoundTrips(); }
    // The service lets this client only read (valid after Open).
    bool ReadOnly() const { return m_writeRefusal != 0; }

private:
    using Clock = std::chrono::steady_clock;

    uint8_t Read(uint8_t reg, int16_t& error);
    void Write(uint8_t reg, uint8_t value, int16_t& error);
    ChipFrame::CRegisterAddress Address(uint8_t reg) const;
    static uint16_t Key(const ChipFrame::CRegisterAddress& address) { return address.bank << 8 | address.reg; }
    static bool Volatile(uint8_t reg) { return reg == 0x41 || reg == 0x42 || reg == 0x4E; }
    // The identification the greeting answers for; false for other registers.
    bool Identification(const ChipFrame::CRegisterAddress& address, uint8_t& value) const;
    int16_t Exchange(const ChipFrame::CRequest& request, ChipFrame::CResponse& response);
    int16_t Fetch(const ChipFrame::CRegisterAddress& wanted);

    CServiceConnection m_connection;
    bool m_greeted = false;
    bool m_alternate = false;
    uint8_t m_chipId = 0;
    int16_t m_writeRefusal = 0;  // the error of every write, 0 when writes go to the service
    uint8_t m_selected = 0;
    uint8_t m_bank = 0x80;
    std::map<uint16_t, uint8_t> m_cache;
    Clock::time_point m_filled{};
    std::vector<ChipFrame::CRegisterAddress> m_pattern;
};
