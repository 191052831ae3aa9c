// Every register a chip descriptor names is one the service lets through
// for that chip: refusing addresses the chip lacks must never refuse what
// the engine reads and writes.
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tests/chipd/CServiceProcess.h"
#include "tools/kelvane-chipd/CRequestPolicy.h"

namespace {

struct Descriptor {
    const char* file;
    uint8_t chipId;
    bool alternate;
    bool sevenBit;  // the part is reachable through ISA ports
};

// The identification each descriptor is chosen for (engine/CMonitorChip).
constexpr Descriptor kDescriptors[] = {
    {"W83781D_B.ini", 0x10, false, true}, {"W83781D_C.ini", 0x11, false, true}, {"W83627F.ini", 0x21, false, true},
    {"W83782D.ini", 0x30, false, true},   {"W83783S.ini", 0x40, false, false},  {"W83784R.ini", 0x50, true, true},
    {"W83784R_B.ini", 0x51, true, true},  {"W83697F.ini", 0x60, false, true},   {"W83785R.ini", 0x60, true, true},
    {"W83791D_B.ini", 0x70, false, false}, {"W83791D_C.ini", 0x71, false, false}, {"W83637HF.ini", 0x80, false, true},
};

using Section = std::map<std::string, std::string>;

std::map<std::string, Section> Sections(const std::string& path) {
    std::ifstream file(path);
    std::map<std::string, Section> sections;
    std::string line, current;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            current = line.substr(1, line.find(']') - 1);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals != std::string::npos) sections[current][line.substr(0, equals)] = line.substr(equals + 1);
    }
    return sections;
}

}  // namespace

TEST(RegisterMap, LetsThroughEveryRegisterTheDescriptorsName) {
    for (const Descriptor& d : kDescriptors) {
        const auto sections = Sections(CServiceProcess::BuildDirectory() + "/" + d.file);
        ASSERT_FALSE(sections.empty()) << d.file;
        CRequestPolicy policy(false, d.sevenBit);
        policy.SetChip(CChipRegisterMap::ForChip(d.chipId, d.alternate));
        int checked = 0;
        for (const auto& [name, keys] : sections) {
            for (const auto& [key, value] : keys) {
                const size_t at = key.find("Addr");
                if (at == std::string::npos) continue;
                const std::string prefix = key.substr(0, at), part = key.substr(at + 4);
                // Limits share their value's bank.
                const bool limit = prefix == "HiLimit" || prefix == "LoLimit";
                const auto bank = keys.find((limit ? "" : prefix) + "Bank" + part);
                const ChipFrame::CRegisterAddress address{
                    static_cast<uint8_t>(bank == keys.end() ? 0 : std::stoi(bank->second)),
                    static_cast<uint8_t>(std::stoi(value))};
                const bool status = prefix == "Status";
                const ChipFrame::Status allowed =
                    status ? policy.CheckRead(address) : policy.CheckWrite(address, 0x01);
                EXPECT_EQ(allowed, ChipFrame::kOk) << d.file << " [" << name << "] " << key << ": bank "
                                                   << int(address.bank) << " register " << int(address.reg);
                ++checked;
            }
        }
        EXPECT_GT(checked, 10) << d.file;
    }
}
