// The service's Unix stream socket: takes the socket systemd passes (socket
// activation, LISTEN_FDS) or binds its own path, gives every peer its right
// (CPeerGroupCheck, from SO_PEERCRED), reads frames and answers them, and
// tells the service when a client is gone (closed, killed, dropped), so that
// its writes are undone.
//
// Nobody can stall it: every socket is non-blocking and one poll loop serves
// all, a few frames per client per round. Replies wait in a bounded output
// buffer per client; a client that leaves them unread (in our buffer or in
// the kernel's, SIOCOUTQ), or a frame half sent, for longer than the reply
// time-out is dropped, as is a client without a
// request for the idle time-out. Connections are capped per user and in all,
// below the descriptor limit; a peer over a cap gets status
// kTooManyConnections and the end of the connection. When accept fails for
// want of descriptors the listening socket rests for a moment instead of
// being polled in a busy loop. A garbage frame or a bad length ends that
// client's connection after a reply, since the byte stream cannot be
// trusted past it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "chipproto/ChipFrame.h"
#include "tools/kelvane-chipd/CChipService.h"
#include "tools/kelvane-chipd/CPeerGroupCheck.h"

class CChipSocketServer {
public:
    struct CLimits {
        size_t maxConnections = 256;
        size_t connectionsPerUser = 16;
        std::chrono::milliseconds replyTimeout{2000};
        std::chrono::milliseconds idleTimeout{900 * 1000};
    };
    // Descriptors kept free of clients: the listening socket, the chip's
    // device, the journal, the refused peers being let go, the libraries.
    static constexpr size_t kReservedDescriptors = 64;

    CChipSocketServer(CChipService& service, const CPeerGroupCheck& peers);
    CChipSocketServer(CChipService& service, const CPeerGroupCheck& peers, CLimits limits);
    ~CChipSocketServer();
    CChipSocketServer(const CChipSocketServer&) = delete;
    CChipSocketServer& operator=(const CChipSocketServer&) = delete;

    // The socket passed by systemd when there is one, else the path bound
    // anew (a stale socket file is replaced) with mode 0660 and the group.
    bool Listen(const std::string& path, std::string& problem);
    // Serves until stop becomes non-zero.
    void Run(const volatile std::sig_atomic_t& stop);
    // The caps in force (the whole cap lowered to fit the descriptor limit).
    const CLimits& Limits() const { return m_limits; }

private:
    using Clock = std::chrono::steady_clock;
    struct CConnection {
        uid_t uid = 0;
        std::vector<uint8_t> input;
        std::vector<uint8_t> output;
        size_t sent = 0;                 // bytes of output already sent
        Clock::time_point lastRequest;   // or the connection's start
        Clock::time_point inputSince;    // the first byte of an incomplete frame
        Clock::time_point outputSince;   // the last progress of pending output
        bool ending = false;             // the reply sent, the connection ends
        // Replies handed to the kernel that the client has not read yet,
        // as the kernel counts them, and since when they stand unread.
        bool unread = false;
        uint64_t sentTotal = 0;      // every byte handed to the kernel
        uint64_t consumed = 0;       // of those, read by the client at the last look
        Clock::time_point unreadSince;  // the last time the client read any
    };

    void Accept(Clock::time_point now);
    void Refuse(int fd, ChipFrame::Status status, Clock::time_point now);
    // False when the connection is to end now.
    bool Receive(int fd, CConnection& connection, Clock::time_point now);
    void ServeFrames(int fd, CConnection& connection, Clock::time_point now);
    bool Flush(int fd, CConnection& connection, Clock::time_point now);
    // Follows the replies the client has not read; false when it has left
    // them unread for longer than the reply time-out.
    bool Reads(int fd, CConnection& connection, Clock::time_point now) const;
    bool Expired(const CConnection& connection, Clock::time_point now) const;
    bool Backlogged(const CConnection& connection) const;
    void Close(int fd);
    void LetGo(Clock::time_point now);

    CChipService& m_service;
    const CPeerGroupCheck& m_peers;
    CLimits m_limits;
    int m_listen = -1;
    std::string m_boundPath;
    std::map<int, CConnection> m_connections;
    // Refused peers: our side is shut, their request is read away until
    // they close or the deadline passes, so that they read their refusal.
    std::map<int, Clock::time_point> m_refused;
    Clock::time_point m_acceptRestsUntil{};
    bool m_framesWaiting = false;
};
