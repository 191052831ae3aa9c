#include "accesslib/client/CChipClient.h"

#include <algorithm>

#include "accesslib/Wbcdflsh.h"

using namespace ChipFrame;

int16_t CChipClient::Exchange(const CRequest& request, CResponse& response) {
    if (!m_connection.RoundTrip(request, response)) {
        // The next operation reconnects and greets afresh.
        m_greeted = false;
        return kErrorUnreachable;
    }
    return response.status == kOk ? 0 : static_cast<int16_t>(kErrorServiceBase + response.status);
}

int16_t CChipClient::Open() {
    if (m_greeted) return 0;
    CRequest hello;
    hello.op = kHello;
    CResponse response;
    const int16_t error = Exchange(hello, response);
    if (error != 0) return error;
    if (response.data.size() < 3) {
        m_connection.Disconnect();
        return kErrorUnreachable;
    }
    m_chipId = response.data[0];
    m_alternate = response.data[1] & kFlagAlternateId;
    m_writeRefusal = response.data[1] & kFlagReadOnly  ? static_cast<int16_t>(kErrorServiceBase + kReadOnly)
                     : response.data[1] & kFlagReader ? static_cast<int16_t>(kErrorServiceBase + kNoControl)
                                                       : int16_t{0};
    m_bank = response.data[2];
    m_cache.clear();
    m_greeted = true;
    return 0;
}

void CChipClient::Close() {
    m_connection.Disconnect();
    m_greeted = false;
    m_cache.clear();
}

bool CChipClient::Identification(const CRegisterAddress& address, uint8_t& value) const {
    if (m_alternate) return false;
    if (address.reg == 0x4F) {
        value = (address.bank & 0x80) ? 0x5C : 0xA3;
        return true;
    }
    if (address.reg == 0x58 && (m_bank & 0x07) == 0) {
        value = m_chipId;
        return true;
    }
    return false;
}

CRegisterAddress CChipClient::Address(uint8_t reg) const {
    return {static_cast<uint8_t>(BankMatters(reg) ? (m_bank & 0x87) : 0), reg};
}

int16_t CChipClient::Fetch(const CRegisterAddress& wanted) {
    const Clock::time_point now = Clock::now();
    if (now - m_filled >= kCacheLifetime) m_cache.clear();
    if (m_cache.empty()) m_filled = now;
    std::vector<CRegisterAddress> batch{wanted};
    for (const CRegisterAddress& address : m_pattern) {
        if (!(address == wanted) && !m_cache.count(Key(address))) batch.push_back(address);
    }
    for (size_t first = 0; first < batch.size(); first += kMaxBatch) {
        CRequest request;
        request.op = kReadBatch;
        request.batch.assign(batch.begin() + static_cast<long>(first),
                             batch.begin() + static_cast<long>(std::min(batch.size(), first + kMaxBatch)));
        CResponse response;
        const int16_t error = Exchange(request, response);
        if (error != 0) return error;
        if (response.data.size() != request.batch.size()) return kErrorUnreachable;
        for (size_t i = 0; i < request.batch.size(); ++i) m_cache[Key(request.batch[i])] = response.data[i];
    }
    return 0;
}

uint8_t CChipClient::Read(uint8_t reg, int16_t& error) {
    error = Open();
    if (error != 0) return 0;
    if (reg == 0x4E && !m_alternate) return m_bank;
    const CRegisterAddress address = Address(reg);
    uint8_t known = 0;
    if (Identification(address, known)) return known;
    if (Volatile(reg)) {
        CResponse response;
        error = Exchange(ReadRequest(address), response);
        if (error == 0 && response.data.size() != 1) error = kErrorUnreachable;
        return error == 0 ? response.data[0] : 0;
    }
    const uint16_t key = Key(address);
    if (Clock::now() - m_filled < kCacheLifetime) {
        const auto hit = m_cache.find(key);
        if (hit != m_cache.end()) return hit->second;
    }
    if (m_pattern.size() < kMaxPattern &&
        std::find(m_pattern.begin(), m_pattern.end(), address) == m_pattern.end()) {
        m_pattern.push_back(address);
    }
    error = Fetch(address);
    if (error != 0) {
        m_cache.clear();
        return 0;
    }
    return m_cache[key];
}

void CChipClient::Write(uint8_t reg, uint8_t value, int16_t& error) {
    error = Open();
    if (error != 0) return;
    if (reg == 0x4E) {
        m_bank = value;
        return;
    }
    if (m_writeRefusal != 0) {
        error = m_writeRefusal;
        return;
    }
    // A write can change other registers too (divisors change the counts,
    // 0x40 stops the readings): nothing read before it is served after it.
    m_cache.clear();
    CResponse response;
    error = Exchange(WriteRequest(Address(reg), value), response);
}

uint8_t CChipClient::In(uint16_t port, int16_t& error) {
    error = 0;
    if (port == kChipAddressPort) return m_selected & 0x7F;  // bit 7, the busy flag, reads clear
    if (port == kChipDataPort) return Read(m_selected, error);
    error = kErrorPort;
    return 0;
}

void CChipClient::Out(uint16_t port, uint8_t value, int16_t& error) {
    error = 0;
    if (port == kChipAddressPort) {
        m_selected = value;
        return;
    }
    if (port == kChipDataPort) {
        Write(m_selected, value, error);
        return;
    }
    error = kErrorPort;
}
