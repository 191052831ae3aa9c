// The power-off seam of kelvane-cli, which only reads: a power-off the engine
// asks for (an item out of range for its shutdown time) is reported on the
// error stream and refused. Acting on it is the window's job.
#pragma once

#include <ostream>

#include "platform/IPowerOff.h"

class CReportingPowerOff : public IPowerOff {
public:
    explicit CReportingPowerOff(std::ostream& err) : m_err(err) {}
    // Never powers off; false: the request was not carried out.
    bool PowerOff() override;

private:
    std::ostream& m_err;
};
