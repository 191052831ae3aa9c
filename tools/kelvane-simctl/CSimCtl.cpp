#include "tools/kelvane-simctl/CSimCtl.h"

#include <sys/stat.h>

#include <cstdio>
#include <string_view>
#include <utility>

#include "accesslib/CSimChip.h"
#include "accesslib/CSimConfig.h"
#include "accesslib/CStateFile.h"
#include "accesslib/ChipModel.h"

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof(text), "%0*X", digits, value);
  return text;
}

std::string FormatInput(int index, double value) {
  char text[32];
  if (index < kSimFirstTemperatureInput) {
    std::snprintf(text, sizeof(text), "%.4g", value);
  } else if (index < kSimFirstFanInput) {
    std::snprintf(text, sizeof(text), "%.1f", value);
  } else {
    std::snprintf(text, sizeof(text), "%.0f", value);
  }
  return text;
}

std::string FanList(uint8_t mask) {
  std::string list;
  for (int fan = 0; fan < kSimFanInputs; ++fan) {
    if (!((mask >> fan) & 1)) continue;
    if (!list.empty()) list += ",";
    list += std::to_string(fan + 1);
  }
  return list.empty() ? "0" : list;
}

void PrintRegisterRows(std::ostream& out, const CSimChip& chip, uint8_t bank, unsigned first, unsigned last) {
  out << "     ";
  for (unsigned column = 0; column < 16; ++column) out << " " << Hex(column, 2);
  out << "\n";
  for (unsigned row = first; row <= last; row += 16) {
    out << "  " << Hex(row, 2) << ":";
    for (unsigned column = 0; column < 16; ++column) {
      out << " " << Hex(chip.Peek(bank, static_cast<uint8_t>(row + column)), 2);
    }
    out << "\n";
  }
}

}  // namespace

CSimCtl::CSimCtl(std::string defaultDirectory, std::ostream& out, std::ostream& err)
    : m_defaultDirectory(std::move(defaultDirectory)), m_out(out), m_err(err) {}

void CSimCtl::Usage(std::ostream& stream) const {
  stream << "Usage: kelvane-simctl [--dir DIR] COMMAND\n"
            "Shows and changes the simulated monitor chip of a Kelvane program directory\n"
            "(simchip.ini and simchip.state beside libWbcdflsh.so; default: this tool's directory).\n"
            "\n"
            "Commands:\n"
            "  show                 the chip model, its inputs and faults, and its registers per bank\n"
            "  set NAME=VALUE ...   change inputs or faults, all or none of them:\n"
            "                         IN0..IN9      volts at the chip pin, 0 to 4.08\n"
            "                         TEMP1..TEMP3  degrees Celsius, -55 to 125\n"
            "                         FAN1..FAN5    rpm at full duty, 0 (stopped) to 100000\n"
            "                         BusErrors=N BusErrorCode=C StoppedFan=k[,k] NoChip=0|1\n"
            "                         DriverLoadFails=0|1\n"
            "  reset                the chip as simchip.ini describes it, at power-on\n"
            "  chip MODEL|ID        switch to another part, at power-on: W83781D_B W83781D_C W83627F\n"
            "                       W83782D W83783S W83784R W83784R_B W83697F W83785R W83791D_B\n"
            "                       W83791D_C W83637HF, or an identification such as 0x71\n"
            "\n"
            "Options:\n"
            "  --dir DIR            the program directory to work on\n"
            "  --help               this text\n"
            "\n"
            "Exit status: 0 done, 1 the state file could not be used, 2 bad input (nothing changed).\n";
}

int CSimCtl::Error(int status, const std::string& message) {
  m_err << "kelvane-simctl: " << message << "\n";
  return status;
}

int CSimCtl::Run(const std::vector<std::string>& arguments) {
  std::string directory = m_defaultDirectory;
  std::vector<std::string> command;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (command.empty() && (argument == "--help" || argument == "-h")) {
      Usage(m_out);
      return kOk;
    }
    if (command.empty() && argument == "--dir") {
      if (i + 1 >= arguments.size()) return Error(kBadInput, "--dir needs a directory");
      directory = arguments[++i];
      continue;
    }
    if (command.empty() && argument.rfind("--dir=", 0) == 0) {
      directory = argument.substr(6);
      continue;
    }
    if (command.empty() && argument.rfind("-", 0) == 0) return Error(kBadInput, "unknown option: " + argument);
    command.push_back(argument);
  }
  if (command.empty()) return Error(kBadInput, "no command (see --help)");
  if (directory.empty() || !IsDirectory(directory)) return Error(kBadInput, "no such directory: " + directory);

  const std::string& verb = command[0];
  const std::vector<std::string> rest(command.begin() + 1, command.end());
  if (verb == "show" && rest.empty()) return Show(directory);
  if (verb == "set" && !rest.empty()) return Set(directory, rest);
  if (verb == "reset" && rest.empty()) return Reset(directory);
  if (verb == "chip" && rest.size() == 1) return Chip(directory, rest[0]);
  if (verb == "show" || verb == "set" || verb == "reset" || verb == "chip") {
    return Error(kBadInput, "wrong arguments for " + verb + " (see --help)");
  }
  return Error(kBadInput, "unknown command: " + verb);
}

int CSimCtl::Show(const std::string& directory) {
  CStateFile file(directory);
  const bool done = file.WithState([&](SimChipState& state) {
    CSimChip chip(state);
    chip.Refresh();
    const ChipModel& model = chip.Model();
    m_out << "Chip: " << model.descriptorName << " (identification 0x" << Hex(model.id, 2) << ", descriptor "
          << model.descriptorName << ".ini" << (model.alternateId ? ", alternate identification" : "")
          << "), monitoring " << ((chip.Peek(0, 0x40) & 0x01) ? "on" : "stopped") << "\n";
    m_out << "State: " << file.StatePath() << "\n";
    m_out << "Inputs:";
    for (int i = 0; i < kSimInputCount; ++i) {
      if (i == kSimFirstTemperatureInput || i == kSimFirstFanInput) m_out << "\n       ";
      m_out << " " << CSimConfig::InputName(i) << "=" << FormatInput(i, state.settings.inputs[i]);
    }
    const SimFaults& faults = state.settings.faults;
    m_out << "\nFaults: BusErrors=" << faults.busErrors << " BusErrorCode="
          << (faults.busErrorCode != 0 ? faults.busErrorCode : kSimDefaultBusErrorCode)
          << " StoppedFan=" << FanList(faults.stoppedFans) << " NoChip=" << int(faults.noChip)
          << " DriverLoadFails=" << int(faults.driverLoadFails) << "\n";
    m_out << "Status: 0x" << Hex(state.status, 6) << ", beeper " << (state.beeping ? "sounding" : "silent")
          << ", selected register 0x" << Hex(state.address, 2) << ", bank " << int(chip.SelectedBank()) << "\n";
    m_out << "Bank 0:\n";
    PrintRegisterRows(m_out, chip, 0, 0x00, 0xF0);
    for (uint8_t bank = 1; bank < kSimBanks; ++bank) {
      if (!chip.BankExists(bank)) continue;
      m_out << "Bank " << int(bank) << " (0x50-0x5F):\n";
      PrintRegisterRows(m_out, chip, bank, 0x50, 0x50);
    }
  });
  return done ? kOk : Error(kFailed, "cannot use the state file " + file.StatePath());
}

int CSimCtl::Set(const std::string& directory, const std::vector<std::string>& assignments) {
  // Every assignment is checked before the state is touched, so bad input changes nothing.
  std::vector<std::pair<std::string, std::string>> parsed;
  SimSettings probe = CSimConfig::Defaults();
  for (const std::string& assignment : assignments) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos) return Error(kBadInput, "expected NAME=VALUE: " + assignment);
    std::string name = assignment.substr(0, equals);
    std::string value = assignment.substr(equals + 1);
    std::string error;
    if (!CSimConfig::Assign(probe, name, value, error)) return Error(kBadInput, error);
    parsed.emplace_back(std::move(name), std::move(value));
  }
  CStateFile file(directory);
  const bool done = file.WithState([&](SimChipState& state) {
    SimSettings settings = state.settings;
    std::string error;
    for (const auto& [name, value] : parsed) CSimConfig::Assign(settings, name, value, error);
    state.settings = settings;
    CSimChip(state).Refresh();
  });
  return done ? kOk : Error(kFailed, "cannot use the state file " + file.StatePath());
}

int CSimCtl::Reset(const std::string& directory) {
  CStateFile file(directory);
  return file.Reset() ? kOk : Error(kFailed, "cannot use the state file " + file.StatePath());
}

int CSimCtl::Chip(const std::string& directory, const std::string& modelName) {
  const auto model = FindChipModel(modelName);
  if (!model) return Error(kBadInput, "unknown chip model: " + modelName);
  CStateFile file(directory);
  const bool done = file.WithState([&](SimChipState& state) {
    state.settings.model = *model;
    CSimChip(state).PowerOn();
  });
  return done ? kOk : Error(kFailed, "cannot use the state file " + file.StatePath());
}
