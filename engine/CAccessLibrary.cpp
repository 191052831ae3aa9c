#include "engine/CAccessLibrary.h"

#include "platform/ILibraryLoader.h"

namespace {

template <typename Fn>
bool Resolve(ILibraryLoader& loader, void* handle, const char* name, Fn& target) {
    void* symbol = loader.Symbol(handle, name);
    if (!symbol) return false;
    target = reinterpret_cast<Fn>(symbol);
    return true;
}

}  // namespace

CAccessLibrary::CAccessLibrary(ILibraryLoader& loader, const char* libraryName) : m_loader(loader) {
    m_handle = m_loader.Open(libraryName);
    if (!m_handle) return;
    const char* const* names = kWbcdflshEntryNames;
    m_usable = Resolve(m_loader, m_handle, names[0], m_returnChipSetType) &&
               Resolve(m_loader, m_handle, names[1], m_setUsers) &&
               Resolve(m_loader, m_handle, names[2], m_checkUsers) &&
               Resolve(m_loader, m_handle, names[3], m_getCpuRatio) &&
               Resolve(m_loader, m_handle, names[4], m_inPortB) &&
               Resolve(m_loader, m_handle, names[5], m_outPortB) &&
               Resolve(m_loader, m_handle, names[6], m_enablePri) &&
               Resolve(m_loader, m_handle, names[7], m_disablePri) &&
               Resolve(m_loader, m_handle, names[8], m_initBus) &&
               Resolve(m_loader, m_handle, names[9], m_initialBus) &&
               Resolve(m_loader, m_handle, names[10], m_i2cBlockRead) &&
               Resolve(m_loader, m_handle, names[11], m_i2cBlockWrite) &&
               Resolve(m_loader, m_handle, names[12], m_loadDriver) &&
               Resolve(m_loader, m_handle, names[13], m_unloadDriver);
}

CAccessLibrary::~CAccessLibrary() {
    if (m_handle) m_loader.Close(m_handle);
}

bool CAccessLibrary::InitBus(uint16_t bus, uint8_t address1, uint8_t address2, uint8_t address3) {
    return m_usable && m_initialBus(bus, address1, address2, address3) == 0;
}

bool CAccessLibrary::LoadDriver() { return m_usable && m_loadDriver() == 0; }

bool CAccessLibrary::UnloadDriver() { return m_usable && m_unloadDriver() == 0; }

uint8_t CAccessLibrary::InPort(uint16_t port, int16_t& error) {
    if (!m_usable) {
        error = kNotUsable;
        return 0;
    }
    error = 0;
    return m_inPortB(port, &error);
}

void CAccessLibrary::OutPort(uint16_t port, uint8_t value, int16_t& error) {
    if (!m_usable) {
        error = kNotUsable;
        return;
    }
    error = 0;
    m_outPortB(port, value, &error);
}
