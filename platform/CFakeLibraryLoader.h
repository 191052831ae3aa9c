// Test double of the library loader: one library of a given name whose entry
// points come from a table of function pointers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/ILibraryLoader.h"

class CFakeLibraryLoader : public ILibraryLoader {
public:
    // Only a library of this name loads.
    explicit CFakeLibraryLoader(std::string libraryName) : m_name(std::move(libraryName)) {}

    template <typename Fn>
    void AddSymbol(const std::string& name, Fn function) {
        m_symbols[name] = reinterpret_cast<void*>(function);
    }
    void RemoveSymbol(const std::string& name) { m_symbols.erase(name); }
    void SetLoadable(bool loadable) { m_loadable = loadable; }

    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;

    int Opens() const { return m_opens; }
    int Closes() const { return m_closes; }
    const std::string& LastOpenedName() const { return m_lastName; }
    // Every name looked up, in order.
    const std::vector<std::string>& LookedUp() const { return m_lookedUp; }

private:
    std::string m_name;
    std::map<std::string, void*> m_symbols;
    bool m_loadable = true;
    int m_opens = 0;
    int m_closes = 0;
    std::string m_lastName;
    std::vector<std::string> m_lookedUp;
    char m_handle = 0;  // its address is the handle
};
