// The service's connected clients: who each one is (from the kernel's
// SO_PEERCRED) and what it may do. Reading is the right of the service's
// group; driving the chip (writes) that of its control group.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <map>

class CClientRegistry {
public:
    enum class Right { kRead, kControl };
    struct CClient {
        pid_t pid = 0;
        uid_t uid = 0;
        Right right = Right::kControl;
    };

    void Add(int id, const CClient& client) { m_clients[id] = client; }
    // True when that client was the last one.
    bool Remove(int id);
    size_t Count() const { return m_clients.size(); }
    size_t CountOf(uid_t uid) const;
    bool Has(int id) const { return m_clients.count(id) != 0; }
    // A client not (or no longer) known may only read.
    bool MayWrite(int id) const;

private:
    std::map<int, CClient> m_clients;
};
