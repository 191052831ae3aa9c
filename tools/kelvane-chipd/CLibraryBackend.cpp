#include "tools/kelvane-chipd/CLibraryBackend.h"

#include <dlfcn.h>

namespace {

constexpr int kAttempts = 30;

}  // namespace

CLibraryBackend::~CLibraryBackend() {
    if (m_handle) ::dlclose(m_handle);
}

bool CLibraryBackend::Open() {
    if (m_handle) return true;
    const std::string path = m_directory + "/" + kWbcdflshLibraryName;
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* error = ::dlerror();
        m_problem = error ? error : path;
        return false;
    }
    m_in = reinterpret_cast<InPortBFn>(::dlsym(m_handle, "InPortB"));
    m_out = reinterpret_cast<OutPortBFn>(::dlsym(m_handle, "OutPortB"));
    auto load = reinterpret_cast<LoadWBCDFlshVxDFn>(::dlsym(m_handle, "LoadWBCDFlshVxD"));
    if (!m_in || !m_out || !load) {
        m_problem = path + ": an entry point is missing";
        return false;
    }
    if (load() != 0) {
        m_problem = path + ": the driver did not load";
        return false;
    }
    return true;
}

bool CLibraryBackend::Out(uint16_t port, uint8_t value) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int16_t error = -1;
        m_out(port, value, &error);
        if (error == 0) return true;
    }
    return false;
}

bool CLibraryBackend::ReadRegister(uint8_t reg, uint8_t& value) {
    if (!m_in || !Out(kChipAddressPort, reg)) return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int16_t error = -1;
        const uint8_t byte = m_in(kChipDataPort, &error);
        if (error == 0) {
            value = byte;
            return true;
        }
    }
    return false;
}

bool CLibraryBackend::WriteRegister(uint8_t reg, uint8_t value) {
    return m_out && Out(kChipAddressPort, reg) && Out(kChipDataPort, value);
}

std::string CLibraryBackend::Describe() const { return "access library " + m_directory + "/" + kWbcdflshLibraryName; }
