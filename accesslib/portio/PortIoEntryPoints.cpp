// The port-I/O build of libWbcdflsh.so for real x86 boards: the chip's address
// and data ports are reached with inb/outb after ioperm has opened exactly
// those two ports to this process (root only). Nothing else on the machine is
// touched: every other port is refused. Never loaded by the tests beyond a
// symbol check.

#include <cerrno>
#include <cstdint>

// The library is built with hidden visibility; the fourteen entry points are
// declared (and so defined) with default visibility, and the version script
// exports them and nothing else.
#pragma GCC visibility push(default)
#include "accesslib/Wbcdflsh.h"
#pragma GCC visibility pop

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KELVANE_HAVE_PORT_IO 1
#else
#define KELVANE_HAVE_PORT_IO 0
#endif

namespace {

constexpr int16_t kErrorNoSuchPort = 1;
// The ports are not open to this process (no root, or the driver was not loaded).
constexpr int16_t kErrorNoAccess = 2;
constexpr int16_t kErrorNoDevice = 4;

// Whether ioperm granted the two ports to this process. The C interface
// carries no context, so this flag is the library's one piece of state.
bool g_portsOpen = false;

bool IsChipPort(uint16_t port) { return port == kChipAddressPort || port == kChipDataPort; }

int16_t OpenPorts() {
#if KELVANE_HAVE_PORT_IO
  if (g_portsOpen) return 0;
  if (::ioperm(kChipAddressPort, 2, 1) != 0) {
    const int code = errno;
    return static_cast<int16_t>(code > 0 && code < 0x7FFF ? code : kErrorNoAccess);
  }
  g_portsOpen = true;
  return 0;
#else
  return kErrorNoAccess;
#endif
}

}  // namespace

extern "C" {

int16_t ReturnChipSetType() { return 0; }
int16_t SetUsers(int16_t) { return 0; }
int16_t CheckUsers() { return 0; }
int16_t GetCPURatio() { return 0; }

uint8_t InPortB(uint16_t port, int16_t* error) {
  int16_t ignored = 0;
  int16_t& code = error ? *error : ignored;
  if (!IsChipPort(port)) {
    code = kErrorNoSuchPort;
    return 0xFF;
  }
  if (!g_portsOpen) {
    code = kErrorNoAccess;
    return 0xFF;
  }
  code = 0;
#if KELVANE_HAVE_PORT_IO
  return ::inb(port);
#else
  return 0xFF;
#endif
}

int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error) {
  int16_t ignored = 0;
  int16_t& code = error ? *error : ignored;
  if (!IsChipPort(port)) {
    code = kErrorNoSuchPort;
    return code;
  }
  if (!g_portsOpen) {
    code = kErrorNoAccess;
    return code;
  }
  code = 0;
#if KELVANE_HAVE_PORT_IO
  ::outb(value, port);
#else
  (void)value;
#endif
  return 0;
}

int16_t EnablePri() { return 0; }
int16_t DisablePri() { return 0; }
int16_t INITBus() { return g_portsOpen ? 0 : kErrorNoAccess; }

int16_t InitialBus(uint16_t, uint8_t, uint8_t, uint8_t) { return INITBus(); }

// This build reaches the chip through its ports only; there is no SMBus host driver.
int16_t I2CBlockRead(uint8_t, uint8_t, uint8_t*, uint8_t) { return kErrorNoDevice; }
int16_t I2CBlockWrite(uint8_t, uint8_t, const uint8_t*, uint8_t) { return kErrorNoDevice; }

int16_t LoadWBCDFlshVxD() { return OpenPorts(); }

int16_t UnLoadWBCDFlshVxD() {
#if KELVANE_HAVE_PORT_IO
  if (g_portsOpen) ::ioperm(kChipAddressPort, 2, 0);
#endif
  g_portsOpen = false;
  return 0;
}

}  // extern "C"
