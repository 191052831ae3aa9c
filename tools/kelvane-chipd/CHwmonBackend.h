// The chip through its kernel hwmon driver's files (Backend=hwmon): the
// service drives a chip a driver owns without racing it on the ports, so the
// machine keeps its own monitoring. Registers map to the driver's attributes
// as in the hwmon build of the access library (accesslib/hwmon/CHwmonChip).
#pragma once

#include <string>

#include "accesslib/hwmon/CHwmonChip.h"
#include "tools/kelvane-chipd/IChipBackend.h"

class CHwmonBackend : public IChipBackend {
public:
    // sysfsRoot: /sys under the service's root prefix.
    explicit CHwmonBackend(std::string sysfsRoot) : m_root(sysfsRoot), m_chip(std::move(sysfsRoot)) {}

    bool Open() override;
    bool ReadRegister(uint8_t reg, uint8_t& value) override { return m_chip.ReadRegister(reg, value); }
    bool WriteRegister(uint8_t reg, uint8_t value) override { return m_chip.WriteRegister(reg, value); }
    // Puts back, latest first, every attribute written since the last
    // restore that the register record cannot express (pwm*_enable, which a
    // duty write switches to manual), and the rest with it.
    void RestoreAsFound() override;
    std::string Describe() const override;
    std::string Problem() const override { return m_problem; }

private:
    std::string m_root;
    CHwmonChip m_chip;
    std::string m_problem;
};
