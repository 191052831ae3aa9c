// One client connection to kelvane-chipd: a blocking Unix stream socket with
// a time-out, one request and its response per round trip.
#pragma once

#include <cstdint>
#include <string>

#include "chipproto/ChipFrame.h"

class CServiceConnection {
public:
    explicit CServiceConnection(std::string socketPath) : m_path(std::move(socketPath)) {}
    ~CServiceConnection();
    CServiceConnection(const CServiceConnection&) = delete;
    CServiceConnection& operator=(const CServiceConnection&) = delete;

    bool Connect();
    bool Connected() const { return m_fd >= 0; }
    void Disconnect();
    // False when the service could not be reached or answered out of turn;
    // the connection is then closed.
    bool RoundTrip(const ChipFrame::CRequest& request, ChipFrame::CResponse& response);
    uint64_t RoundTrips() const { return m_roundTrips; }

private:
    std::string m_path;
    int m_fd = -1;
    uint64_t m_roundTrips = 0;
};
