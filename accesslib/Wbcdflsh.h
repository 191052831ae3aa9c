// The binary interface of the hardware access library "libWbcdflsh.so".
//
// Both builds of the library (the chip simulator and the port-I/O build)
// export exactly these fourteen entry points with C linkage; the engine looks
// them up by name, in the order of kWbcdflshEntryNames. Status results are 0 on
// success. The program calls only InPortB, OutPortB, InitialBus,
// LoadWBCDFlshVxD and UnLoadWBCDFlshVxD; the others must exist for the library
// to count as usable.
#pragma once

#include <cstdint>

extern "C" {

using ReturnChipSetTypeFn = int16_t (*)();
using SetUsersFn = int16_t (*)(int16_t users);
using CheckUsersFn = int16_t (*)();
using GetCPURatioFn = int16_t (*)();
// Reads one byte from an I/O port; *error is 0 on success.
using InPortBFn = uint8_t (*)(uint16_t port, int16_t* error);
// Writes one byte to an I/O port; *error is 0 on success. The result is unused.
using OutPortBFn = int16_t (*)(uint16_t port, uint8_t value, int16_t* error);
using EnablePriFn = int16_t (*)();
using DisablePriFn = int16_t (*)();
using INITBusFn = int16_t (*)();
using InitialBusFn = int16_t (*)(uint16_t bus, uint8_t address1, uint8_t address2, uint8_t address3);
using I2CBlockReadFn = int16_t (*)(uint8_t slave, uint8_t command, uint8_t* buffer, uint8_t length);
using I2CBlockWriteFn = int16_t (*)(uint8_t slave, uint8_t command, const uint8_t* buffer, uint8_t length);
using LoadWBCDFlshVxDFn = int16_t (*)();
using UnLoadWBCDFlshVxDFn = int16_t (*)();

int16_t ReturnChipSetType();
int16_t SetUsers(int16_t users);
int16_t CheckUsers();
int16_t GetCPURatio();
uint8_t InPortB(uint16_t port, int16_t* error);
int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error);
int16_t EnablePri();
int16_t DisablePri();
int16_t INITBus();
int16_t InitialBus(uint16_t bus, uint8_t address1, uint8_t address2, uint8_t address3);
int16_t I2CBlockRead(uint8_t slave, uint8_t command, uint8_t* buffer, uint8_t length);
int16_t I2CBlockWrite(uint8_t slave, uint8_t command, const uint8_t* buffer, uint8_t length);
int16_t LoadWBCDFlshVxD();
int16_t UnLoadWBCDFlshVxD();

}  // extern "C"

// The file name the engine loads, and the entry points in the order it
// resolves them (it stops at the first that is missing).
inline constexpr const char* kWbcdflshLibraryName = "libWbcdflsh.so";
inline constexpr const char* kWbcdflshEntryNames[14] = {
    "ReturnChipSetType", "SetUsers", "CheckUsers", "GetCPURatio", "InPortB",
    "OutPortB", "EnablePri", "DisablePri", "INITBus", "InitialBus",
    "I2CBlockRead", "I2CBlockWrite", "LoadWBCDFlshVxD", "UnLoadWBCDFlshVxD"};

// What ReturnChipSetType answers. The simulator, port-I/O and service client
// builds answer kChipSetDirect. The hwmon build (folder "hwmon" beside the
// simulator build) reads a chip owned by its kernel driver and tells the
// program how far it can drive it:
// - kChipSetDriverOwned: the driver's attributes take limits, beep and duty;
// - kChipSetDriverOwnedReadOnly: the attributes refuse this process (a plain
//   user): limits are the program's own and its alarms follow them, but the
//   chip's beeper and fans are not driven (duty writes fail);
// - kChipSetDriverGone: the driver went away while running; transfers fail
//   until it is loaded again (then one of the two above again);
// - kChipSetNoDriverChip: no supported chip bound to its driver was found
//   under the sysfs root (KELVANE_SYSFS_ROOT, else /sys).
inline constexpr int16_t kChipSetDirect = 0;
inline constexpr int16_t kChipSetDriverOwned = 1;
inline constexpr int16_t kChipSetDriverOwnedReadOnly = 2;
inline constexpr int16_t kChipSetDriverGone = 3;
inline constexpr int16_t kChipSetNoDriverChip = 4;

// The monitor chip's ports on the boards Kelvane supports: the address port at
// base + 5 and the data port at base + 6 for the usual base 0x290.
inline constexpr uint16_t kChipAddressPort = 0x295;
inline constexpr uint16_t kChipDataPort = 0x296;
