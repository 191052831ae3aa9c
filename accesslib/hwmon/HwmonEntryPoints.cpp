// The fourteen entry points of the hwmon build of libWbcdflsh.so: the chip
// owned by its kernel driver, read and driven through the driver's files
// (CHwmonChip) under the sysfs root KELVANE_SYSFS_ROOT (else /sys), which the
// programs set before they open the library.
//
// The C interface carries no context, so the library keeps one chip per
// process, created at the first call and attached to the first supported
// chip bound to its driver.

#include <mutex>

#include "accesslib/hwmon/CHwmonChip.h"
#include "accesslib/hwmon/CHwmonScanner.h"
#pragma GCC visibility push(default)
#include "accesslib/Wbcdflsh.h"
#pragma GCC visibility pop

namespace {

constexpr int16_t kErrorNoSuchPort = 1;
constexpr int16_t kErrorNoDriverChip = 3;
constexpr int16_t kErrorNoDevice = 4;
// The attribute a transfer needs is missing, unreadable or refused.
constexpr int16_t kErrorAttribute = 7;

struct CSession {
  std::mutex mutex;
  CHwmonChip chip{CHwmonScanner::RootFromEnvironment()};
  int16_t users = 0;
};

CSession& Session() {
  static CSession session;
  return session;
}

// Attaches at the first use; false while no chip is found.
bool Attached(CSession& session) { return session.chip.IsAttached() || session.chip.Attach(); }

void SetError(int16_t* error, int16_t value) {
  if (error) *error = value;
}

int16_t Open() {
  try {
    CSession& session = Session();
    std::lock_guard<std::mutex> hold(session.mutex);
    return Attached(session) ? 0 : kErrorNoDriverChip;
  } catch (...) {
    return kErrorNoDriverChip;
  }
}

// Runs one port transfer; nothing may cross the C boundary.
template <class Transfer>
int16_t PortTransfer(uint16_t port, Transfer&& transfer) {
  if (port != CHwmonChip::kAddressPort && port != CHwmonChip::kDataPort) return kErrorNoSuchPort;
  try {
    CSession& session = Session();
    std::lock_guard<std::mutex> hold(session.mutex);
    if (!Attached(session)) return kErrorNoDriverChip;
    if (transfer(session.chip)) return 0;
    return session.chip.CurrentState() == CHwmonChip::State::kDriverGone ? kErrorNoDriverChip : kErrorAttribute;
  } catch (...) {
    return kErrorAttribute;
  }
}

}  // namespace

extern "C" {

int16_t ReturnChipSetType() {
  try {
    CSession& session = Session();
    std::lock_guard<std::mutex> hold(session.mutex);
    if (!Attached(session)) return kChipSetNoDriverChip;
    switch (session.chip.CurrentState()) {
      case CHwmonChip::State::kDriven: return kChipSetDriverOwned;
      case CHwmonChip::State::kReadOnly: return kChipSetDriverOwnedReadOnly;
      case CHwmonChip::State::kDriverGone: return kChipSetDriverGone;
      case CHwmonChip::State::kNoChip: break;
    }
  } catch (...) {
  }
  return kChipSetNoDriverChip;
}

int16_t SetUsers(int16_t users) {
  std::lock_guard<std::mutex> hold(Session().mutex);
  Session().users = users;
  return 0;
}

int16_t CheckUsers() {
  std::lock_guard<std::mutex> hold(Session().mutex);
  return Session().users;
}

int16_t GetCPURatio() { return 0; }

uint8_t InPortB(uint16_t port, int16_t* error) {
  uint8_t value = 0xFF;
  const int16_t code = PortTransfer(port, [&](CHwmonChip& chip) { return chip.PortRead(port, value); });
  SetError(error, code);
  return code == 0 ? value : 0xFF;
}

int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error) {
  const int16_t code = PortTransfer(port, [&](CHwmonChip& chip) { return chip.PortWrite(port, value); });
  SetError(error, code);
  return code;
}

int16_t EnablePri() { return 0; }
int16_t DisablePri() { return 0; }

int16_t INITBus() { return Open(); }

int16_t InitialBus(uint16_t, uint8_t, uint8_t, uint8_t) { return Open(); }

// The chip is reached through its driver's files only, not through a bus.
int16_t I2CBlockRead(uint8_t, uint8_t, uint8_t*, uint8_t) { return kErrorNoDevice; }
int16_t I2CBlockWrite(uint8_t, uint8_t, const uint8_t*, uint8_t) { return kErrorNoDevice; }

int16_t LoadWBCDFlshVxD() { return Open(); }

int16_t UnLoadWBCDFlshVxD() { return 0; }

}  // extern "C"
