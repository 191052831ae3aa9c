#include "tools/kelvane-cli/CReportingPowerOff.h"

bool CReportingPowerOff::PowerOff() {
    m_err << "kelvane-cli: an item has been out of range for its shutdown time; the engine asks for a "
             "power-off, which kelvane-cli does not carry out"
          << std::endl;
    return false;
}
