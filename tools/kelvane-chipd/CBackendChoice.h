// The backend the configuration asks for; with Backend=auto the ISA ports
// first, then every SMBus adapter at the configured address, the first that
// answers the vendor value 0x5CA3 winning. Each candidate is checked for a
// kernel driver or firmware that owns the chip before it is touched.
#pragma once

#include <memory>
#include <string>

#include "tools/kelvane-chipd/CChipdConfig.h"
#include "tools/kelvane-chipd/IChipBackend.h"
#include "tools/kelvane-chipd/IPortIo.h"

class CBackendChoice {
public:
    explicit CBackendChoice(const CChipdConfig& config) : m_config(config) {}

    // The opened backend whose chip answered, or null with Problem().
    std::unique_ptr<IChipBackend> Choose();
    const std::string& Problem() const { return m_problem; }
    // Set when a conflict was passed over because sharing read-only is allowed.
    bool SharedWithDriver() const { return m_shared; }
    // The chosen chip sits behind ISA ports, whose address port carries
    // register addresses of 7 bits only.
    bool SevenBitAddresses() const { return m_sevenBit; }

private:
    std::unique_ptr<IChipBackend> TryIsa();
    std::unique_ptr<IChipBackend> TrySmbus(int bus);
    // False (and the problem noted) when an owner was found and sharing is off.
    bool Answers(IChipBackend& backend);
    void Note(const std::string& problem);

    const CChipdConfig& m_config;
    std::unique_ptr<IPortIo> m_portIo;
    std::string m_problem;
    bool m_shared = false;
    bool m_sevenBit = false;
};
