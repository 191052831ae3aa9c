// The service's Unix stream socket: takes the socket systemd passes (socket
// activation, LISTEN_FDS) or binds its own path, checks every peer's group
// with SO_PEERCRED, reads frames and answers them one at a time, and tells
// the service when a client is gone (closed or killed: the socket ends).
// A garbage frame or a bad length ends that client's connection after a
// reply, since the byte stream cannot be trusted past it.
#pragma once

#include <csignal>
#include <map>
#include <string>
#include <vector>

#include "tools/kelvane-chipd/CChipService.h"
#include "tools/kelvane-chipd/CPeerGroupCheck.h"

class CChipSocketServer {
public:
    CChipSocketServer(CChipService& service, const CPeerGroupCheck& peers) : m_service(service), m_peers(peers) {}
    ~CChipSocketServer();
    CChipSocketServer(const CChipSocketServer&) = delete;
    CChipSocketServer& operator=(const CChipSocketServer&) = delete;

    // The socket passed by systemd when there is one, else the path bound
    // anew (a stale socket file is replaced) with mode 0660 and the group.
    bool Listen(const std::string& path, std::string& problem);
    // Serves until stop becomes non-zero.
    void Run(const volatile std::sig_atomic_t& stop);

private:
    struct CConnection {
        std::vector<uint8_t> input;
    };
    void Accept();
    // False when the connection is to end.
    bool Receive(int fd, CConnection& connection);
    void Close(int fd);

    CChipService& m_service;
    const CPeerGroupCheck& m_peers;
    int m_listen = -1;
    std::string m_boundPath;
    std::map<int, CConnection> m_connections;
};
