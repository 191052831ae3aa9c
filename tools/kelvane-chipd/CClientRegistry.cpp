#include "tools/kelvane-chipd/CClientRegistry.h"

bool CClientRegistry::Remove(int id) { return m_clients.erase(id) != 0 && m_clients.empty(); }

size_t CClientRegistry::CountOf(uid_t uid) const {
    size_t count = 0;
    for (const auto& [id, client] : m_clients) count += client.uid == uid;
    return count;
}

bool CClientRegistry::MayWrite(int id) const {
    const auto found = m_clients.find(id);
    return found != m_clients.end() && found->second.right == Right::kControl;
}
