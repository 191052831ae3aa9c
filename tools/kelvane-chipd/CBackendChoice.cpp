#include "tools/kelvane-chipd/CBackendChoice.h"

#include <filesystem>

#include "tools/kelvane-chipd/CChipService.h"
#include "tools/kelvane-chipd/CDevPortIo.h"
#include "tools/kelvane-chipd/CDriverConflictCheck.h"
#include "tools/kelvane-chipd/CHwmonBackend.h"
#include "tools/kelvane-chipd/CIopermPortIo.h"
#include "tools/kelvane-chipd/CIsaPortBackend.h"
#include "tools/kelvane-chipd/CLibraryBackend.h"
#include "tools/kelvane-chipd/CSmbusBackend.h"

namespace {

bool Allows(const CDriverConflictCheck::CConflict& conflict, bool share, std::string& problem, bool& shared) {
    if (!conflict.found) return true;
    if (share) {
        shared = true;
        return true;
    }
    problem = conflict.message;
    return false;
}

}  // namespace

void CBackendChoice::Note(const std::string& problem) {
    if (m_problem.empty()) m_problem = problem;
    else m_problem += "; " + problem;
}

bool CBackendChoice::Answers(IChipBackend& backend) {
    if (!backend.Open()) {
        Note(backend.Describe() + ": " + backend.Problem());
        return false;
    }
    // Reads only: the vendor bytes without a bank switch (0x4F answers the
    // byte of the current vendor-select bit; the alternate parts at 0x4C/0x4D).
    uint8_t byte = 0, low = 0, high = 0;
    const bool answered = (backend.ReadRegister(0x4F, byte) && (byte == 0xA3 || byte == 0x5C)) ||
                          (backend.ReadRegister(0x4C, low) && backend.ReadRegister(0x4D, high) &&
                           high * 256 + low == CChipService::kVendorValue);
    if (!answered) Note(backend.Describe() + ": no chip with the vendor value 0x5CA3");
    return answered;
}

std::unique_ptr<IChipBackend> CBackendChoice::TryIsa() {
    const CDriverConflictCheck check(m_config.root, m_config.sysfsRoot);
    std::string problem;
    if (!Allows(check.CheckPorts(m_config.portBase), m_config.shareReadOnly, problem, m_shared)) {
        Note(problem);
        return nullptr;
    }
    if (m_config.portAccess == CChipdConfig::PortAccess::kDevPort) {
        m_portIo = std::make_unique<CDevPortIo>(m_config.UnderRoot("/dev/port"));
    } else {
        m_portIo = std::make_unique<CIopermPortIo>();
    }
    auto backend = std::make_unique<CIsaPortBackend>(*m_portIo, m_config.portBase);
    if (!Answers(*backend)) return nullptr;
    return backend;
}

std::unique_ptr<IChipBackend> CBackendChoice::TrySmbus(int bus) {
    const CDriverConflictCheck check(m_config.root, m_config.sysfsRoot);
    std::string problem;
    if (!Allows(check.CheckSmbus(bus, m_config.smbusAddress), m_config.shareReadOnly, problem, m_shared)) {
        Note(problem);
        return nullptr;
    }
    auto backend = std::make_unique<CSmbusBackend>(m_config.UnderRoot("/dev/i2c-" + std::to_string(bus)),
                                                   m_config.smbusAddress);
    if (!Answers(*backend)) return nullptr;
    return backend;
}

std::unique_ptr<IChipBackend> CBackendChoice::Choose() {
    using Backend = CChipdConfig::Backend;
    if (m_config.backend == Backend::kLibrary) {
        auto backend = std::make_unique<CLibraryBackend>(m_config.libraryDirectory);
        if (!Answers(*backend)) return nullptr;
        return backend;
    }
    // Through the driver's files: no race with the driver, so no conflict
    // check and no read-only sharing.
    if (m_config.backend == Backend::kHwmon) {
        auto backend = std::make_unique<CHwmonBackend>(m_config.sysfsRoot.empty() ? m_config.UnderRoot("/sys")
                                                                                  : m_config.sysfsRoot);
        if (!Answers(*backend)) return nullptr;
        return backend;
    }
    if (m_config.backend == Backend::kIsa || m_config.backend == Backend::kAuto) {
        if (auto backend = TryIsa()) return backend;
        if (m_config.backend == Backend::kIsa) return nullptr;
    }
    if (m_config.smbusBus >= 0) return TrySmbus(m_config.smbusBus);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_config.UnderRoot("/dev"), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("i2c-", 0) != 0) continue;
        char* end = nullptr;
        const long bus = std::strtol(name.c_str() + 4, &end, 10);
        if (!end || *end != '\0' || bus < 0 || bus > 1023) continue;
        if (auto backend = TrySmbus(static_cast<int>(bus))) return backend;
    }
    return nullptr;
}
