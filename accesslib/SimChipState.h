// The simulated chip's live state: the layout of the memory-mapped file
// "simchip.state" that every process using the simulator (the program, its
// tests, kelvane-simctl) maps, so that they all see one chip, as they would
// see one piece of hardware.
//
// Everything in here is plain data of fixed width; the file may have been
// written by another build or damaged by hand, so a reader validates the header
// and clamps every value before using it (see CSimChip and CStateFile).
#pragma once

#include <cstdint>

// The simulator's inputs, in the order of their names in simchip.ini:
// IN0..IN9 (volts at the chip pin), TEMP1..TEMP3 (degrees Celsius),
// FAN1..FAN5 (revolutions per minute at full duty).
inline constexpr int kSimVoltageInputs = 10;
inline constexpr int kSimTemperatureInputs = 3;
inline constexpr int kSimFanInputs = 5;
inline constexpr int kSimInputCount = kSimVoltageInputs + kSimTemperatureInputs + kSimFanInputs;
inline constexpr int kSimFirstTemperatureInput = kSimVoltageInputs;
inline constexpr int kSimFirstFanInput = kSimVoltageInputs + kSimTemperatureInputs;

// Faults that a test or a curious user can switch on.
struct SimFaults {
  // Every phase of a port transfer fails its first BusErrors attempts with
  // BusErrorCode (see CSimChip for what counts as one phase).
  uint16_t busErrors;
  int16_t busErrorCode;
  // Bit k-1 set: fan k stands still whatever its input says.
  uint8_t stoppedFans;
  // The chip does not answer: every read of its ports gives 0xFF.
  uint8_t noChip;
  // Loading the driver fails, and without a driver no port can be reached.
  uint8_t driverLoadFails;
  uint8_t reserved;
};

// What simchip.ini configures.
struct SimSettings {
  // Index into the chip model table (ChipModels()).
  uint8_t model;
  // The core-voltage offset bit of the models that have one is set at power-on.
  uint8_t vcoreOffset;
  uint8_t reserved[6];
  double inputs[kSimInputCount];
  SimFaults faults;
};

inline constexpr int kSimBanks = 8;

struct SimChipState {
  uint32_t magic;
  uint32_t version;
  uint32_t size;
  uint32_t reserved0;

  // The lock every access holds: a process-shared, robust mutex (a holder's
  // death frees it), kept as bytes of fixed size (see CStateFile).
  alignas(8) unsigned char lock[64];

  // Identity of the simchip.ini the settings came from (all zero when there
  // was none), so that an edit of the file reaches a running chip.
  int64_t configMtimeNs;
  int64_t configSize;
  uint64_t configInode;

  SimSettings settings;

  // The register selected through the address port.
  uint8_t address;
  // Bit k set: temperature sensor k+1 is in alarm (set above the over limit,
  // cleared below the hysteresis).
  uint8_t temperatureAlarms;
  // The chip sounds its beeper (an enabled alarm with the global beep on).
  uint8_t beeping;
  uint8_t reserved1;
  // The last real-time status word (bit numbers of the model's alarm map).
  uint32_t status;
  // Registers 0x50..0x5F exist once per bank; every other address lives in
  // regs[0] whatever bank is selected.
  uint8_t regs[kSimBanks][256];

  // The phase of port traffic in progress (for bus-error injection).
  int32_t phasePid;
  uint16_t phasePort;
  uint8_t phaseWrite;
  uint8_t phaseValue;
  uint32_t phaseAttempts;
  uint8_t phaseSucceeded;
  uint8_t reserved2[3];

  // The value kept for SetUsers/CheckUsers.
  int16_t users;
  uint8_t reserved3[6];
};

inline constexpr uint32_t kSimStateMagic = 0x4D49534BU;  // "KSIM" in the file
inline constexpr uint32_t kSimStateVersion = 2;
