// The fourteen entry points of the simulator build of libWbcdflsh.so. Each
// call takes the simulator's lock, works on the shared chip state and lets go.
//
// The C interface carries no context, so the library keeps one session per
// process (a function-local static, created at the first call and destroyed
// when the library is unloaded): the state file beside the library itself.

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "accesslib/CSimChip.h"
#include "accesslib/CStateFile.h"
#include "accesslib/ProcessId.h"
// The library is built with hidden visibility; the fourteen entry points are
// declared (and so defined) with default visibility, and the version script
// exports them and nothing else.
#pragma GCC visibility push(default)
#include "accesslib/Wbcdflsh.h"
#pragma GCC visibility pop

namespace {

// The chip's SMBus address in the 8-bit form the bus functions take (0x2D << 1).
constexpr uint8_t kChipBusAddress = 0x5A;
constexpr int16_t kSimErrorBadArgument = 6;

std::string LibraryDirectory() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) == 0 || !info.dli_fname) return {};
  // The directory the library was opened from, made absolute so that a later
  // change of the working directory cannot move the chip. The library itself
  // may be a link (an installed program links it into each user's directory,
  // where the chip's state belongs), so the link is not followed.
  const std::string opened = info.dli_fname;
  const size_t slash = opened.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : opened.substr(0, slash));
  char resolved[PATH_MAX];
  return ::realpath(directory.c_str(), resolved) ? resolved : directory;
}

CStateFile& Session() {
  static CStateFile session(LibraryDirectory());
  return session;
}

// Runs action(CSimChip&) and returns its result, or failure when the state
// cannot be reached (or anything throws: nothing may cross the C boundary).
template <class Result, class Action>
Result WithChip(Result failure, Action&& action) {
  try {
    Result result = failure;
    Session().WithState([&](SimChipState& state) {
      CSimChip chip(state);
      result = action(chip, state);
    });
    return result;
  } catch (...) {
    return failure;
  }
}

}  // namespace

extern "C" {

int16_t ReturnChipSetType() { return 0; }

int16_t SetUsers(int16_t users) {
  return WithChip<int16_t>(kSimErrorNoState, [users](CSimChip&, SimChipState& state) -> int16_t {
    state.users = users;
    return 0;
  });
}

int16_t CheckUsers() {
  return WithChip<int16_t>(0, [](CSimChip&, SimChipState& state) -> int16_t { return state.users; });
}

int16_t GetCPURatio() { return 0; }

uint8_t InPortB(uint16_t port, int16_t* error) {
  int16_t ignored = 0;
  int16_t& code = error ? *error : ignored;
  code = kSimErrorNoState;
  const int32_t pid = static_cast<int32_t>(CurrentProcessId());
  return WithChip<uint8_t>(0xFF, [&](CSimChip& chip, SimChipState&) { return chip.PortRead(port, code, pid); });
}

int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error) {
  int16_t ignored = 0;
  int16_t& code = error ? *error : ignored;
  code = kSimErrorNoState;
  const int32_t pid = static_cast<int32_t>(CurrentProcessId());
  WithChip<int16_t>(0, [&](CSimChip& chip, SimChipState&) -> int16_t {
    chip.PortWrite(port, value, code, pid);
    return 0;
  });
  return code;
}

int16_t EnablePri() { return 0; }

int16_t DisablePri() { return 0; }

int16_t INITBus() {
  return WithChip<int16_t>(kSimErrorNoState, [](CSimChip&, SimChipState& state) -> int16_t {
    return state.settings.faults.driverLoadFails ? kSimErrorNoDriver : 0;
  });
}

int16_t InitialBus(uint16_t /*bus*/, uint8_t /*address1*/, uint8_t /*address2*/, uint8_t /*address3*/) {
  return INITBus();
}

// The chip also answers on the SMBus at 0x5A: a block transfer reads or writes
// consecutive registers from command on, in the selected bank.
int16_t I2CBlockRead(uint8_t slave, uint8_t command, uint8_t* buffer, uint8_t length) {
  if (!buffer && length > 0) return kSimErrorBadArgument;
  return WithChip<int16_t>(kSimErrorNoState, [&](CSimChip& chip, SimChipState& state) -> int16_t {
    const SimFaults& faults = state.settings.faults;
    if (faults.driverLoadFails) return kSimErrorNoDriver;
    if (slave != kChipBusAddress || faults.noChip) return kSimErrorNoDevice;
    for (unsigned i = 0; i < length; ++i) buffer[i] = chip.ReadRegister(static_cast<uint8_t>(command + i));
    return 0;
  });
}

int16_t I2CBlockWrite(uint8_t slave, uint8_t command, const uint8_t* buffer, uint8_t length) {
  if (!buffer && length > 0) return kSimErrorBadArgument;
  return WithChip<int16_t>(kSimErrorNoState, [&](CSimChip& chip, SimChipState& state) -> int16_t {
    const SimFaults& faults = state.settings.faults;
    if (faults.driverLoadFails) return kSimErrorNoDriver;
    if (slave != kChipBusAddress || faults.noChip) return kSimErrorNoDevice;
    for (unsigned i = 0; i < length; ++i) chip.WriteRegister(static_cast<uint8_t>(command + i), buffer[i]);
    return 0;
  });
}

int16_t LoadWBCDFlshVxD() { return INITBus(); }

int16_t UnLoadWBCDFlshVxD() { return 0; }

}  // extern "C"
