#include "platform/CFakeLibraryLoader.h"

void* CFakeLibraryLoader::Open(const std::string& name) {
    m_lastName = name;
    if (!m_loadable || name != m_name) return nullptr;
    ++m_opens;
    return &m_handle;
}

void* CFakeLibraryLoader::Symbol(void* handle, const char* name) {
    if (handle != &m_handle) return nullptr;
    m_lookedUp.emplace_back(name);
    auto it = m_symbols.find(name);
    return it == m_symbols.end() ? nullptr : it->second;
}

void CFakeLibraryLoader::Close(void* handle) {
    if (handle == &m_handle) ++m_closes;
}
