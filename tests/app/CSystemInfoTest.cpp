#include "app/CSystemInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// One DMI structure: header (type, length, handle), the rest of the formatted
// area, then the strings and the set's terminator.
Bytes Structure(std::uint8_t type, Bytes formattedTail, std::initializer_list<std::string> strings)
{
    Bytes s{type, static_cast<std::uint8_t>(4 + formattedTail.size()), 0x00, 0x01};
    for (std::uint8_t b : formattedTail)
        s.push_back(b);
    for (const std::string& text : strings) {
        for (char c : text)
            s.push_back(static_cast<std::uint8_t>(c));
        s.push_back(0);
    }
    if (strings.size() == 0)
        s.push_back(0);
    s.push_back(0);
    return s;
}

// A Base Board structure whose Product is string number `product`.
Bytes BaseBoard(std::uint8_t product, std::initializer_list<std::string> strings)
{
    return Structure(2, {0x01, product, 0x00, 0x00}, strings);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        for (std::uint8_t b : p)
            all.push_back(b);
    return all;
}

// A 64 KiB copy of the BIOS area with a "_DMI_" entry point at `entryAt`
// announcing `count` structures at physical `tableAddress`, and `table` copied
// to that address when it falls inside the area.
Bytes BiosArea(const Bytes& table, std::uint16_t count, std::uint32_t tableAddress = 0xF1000,
               std::size_t entryAt = 0x0800)
{
    Bytes area(0x10000, 0xFF);
    const Bytes entry{'_', 'D', 'M', 'I', '_', 0, 0, 0,
                      static_cast<std::uint8_t>(tableAddress), static_cast<std::uint8_t>(tableAddress >> 8),
                      static_cast<std::uint8_t>(tableAddress >> 16), static_cast<std::uint8_t>(tableAddress >> 24),
                      static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8), 0x20};
    std::copy(entry.begin(), entry.end(), area.begin() + static_cast<long>(entryAt));
    if (tableAddress >= 0xF0000 && tableAddress - 0xF0000 + table.size() <= area.size())
        std::copy(table.begin(), table.end(), area.begin() + (tableAddress - 0xF0000));
    return area;
}

std::string Scan(const Bytes& area)
{
    std::string product = "stale";
    EXPECT_TRUE(CSystemInfo::ScanDmiBoardName(area, product));
    return product;
}

class SystemInfoTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() /
                 ("kelvane-sysinfo-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    void Write(const std::string& relative, const std::string& content, std::uintmax_t offset = 0)
    {
        const fs::path p = m_root / relative;
        fs::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out.seekp(static_cast<std::streamoff>(offset));
        out << content;
    }
    CSystemInfo Info() const { return CSystemInfo(m_root.string()); }

    fs::path m_root;
};

}  // namespace

TEST(SystemInfoNormalise, CutsAtBracketMapsSlashLowersAndTrims)
{
    const struct {
        const char* product;
        const char* name;
    } cases[] = {
        {"Abc/De-2 (rev 1)", "abc_de-2"},
        {"Abc(x)", "abc"},
        {"  Abc (x)", "abc"},
        {"Abc 12 (rev 1)", "abc 12"},
        {"ABC DEF", ""},  // no "(": the board's files are then def.ini / save.ini
        {"", ""},
        {"NULL", ""},
        {"(rev 1)", ""},
        {"   (x)", ""},
        {"A/B/C (x) (y)", "a_b_c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSystemInfo::NormaliseBoardName(c.product), c.name) << c.product;
}

TEST(SystemInfoDmi, FindsProductOfTheBaseBoardInAWellFormedTable)
{
    const Bytes table = Concat({Structure(0, {0x01, 0x02}, {"Vendor BIOS", "1.2"}),
                                BaseBoard(2, {"Maker Inc.", "KV-8X (rev 2)", "1.0"}),
                                Structure(127, {}, {})});
    EXPECT_EQ(Scan(BiosArea(table, 3)), "KV-8X (rev 2)");
}

TEST(SystemInfoDmi, TheLastBaseBoardWinsAndMissingStringsGiveEmpty)
{
    const Bytes first = BaseBoard(1, {"First (a)"});
    const Bytes second = BaseBoard(2, {"Maker", "Second (b)"});
    const Bytes beyond = BaseBoard(3, {"Only", "Two"});  // string 3 does not exist
    const Bytes none = BaseBoard(0, {"Ignored"});
    const Bytes stringless = Structure(1, {0x00}, {});

    EXPECT_EQ(Scan(BiosArea(Concat({first, stringless, second}), 3)), "Second (b)");
    // A string number beyond the structure's strings must not leave the
    // previous structure's string in place.
    EXPECT_EQ(Scan(BiosArea(Concat({second, beyond}), 2)), "");
    EXPECT_EQ(Scan(BiosArea(Concat({first, none}), 2)), "");
    EXPECT_EQ(Scan(BiosArea(Concat({stringless}), 1)), "");
    // Only `count` structures are walked.
    EXPECT_EQ(Scan(BiosArea(Concat({first, second}), 1)), "First (a)");
}

TEST(SystemInfoDmi, KeepsAtMostEightStringsOfAtMost127Characters)
{
    const std::string longText(200, 'x');
    const Bytes nine = BaseBoard(9, {"1", "2", "3", "4", "5", "6", "7", "8", "Ninth (x)"});
    const Bytes eighth = BaseBoard(8, {"1", "2", "3", "4", "5", "6", "7", "Eighth (x)", "9", "10"});
    const Bytes cut = BaseBoard(1, {longText});
    const Bytes afterLong = Concat({cut, BaseBoard(2, {longText, "After (x)"})});

    EXPECT_EQ(Scan(BiosArea(nine, 1)), "");
    EXPECT_EQ(Scan(BiosArea(eighth, 1)), "Eighth (x)");
    EXPECT_EQ(Scan(BiosArea(cut, 1)), std::string(127, 'x'));
    // The walk still steps over the whole long string.
    EXPECT_EQ(Scan(BiosArea(afterLong, 2)), "After (x)");
}

TEST(SystemInfoDmi, DamagedOrHostileTablesGiveAnEmptyName)
{
    const Bytes good = BaseBoard(1, {"Good (x)"});

    // The entry point announces more structures than the buffer holds: the
    // table runs into the end of the BIOS area.
    Bytes atEnd = BiosArea({}, 2, 0xFFFF0);
    std::copy(good.begin(), good.begin() + 16, atEnd.end() - 16);
    EXPECT_EQ(Scan(atEnd), "");

    // The formatted area fills the buffer: no room for the string set.
    Bytes noStringSet = BiosArea({}, 1, 0xFFFF8);
    const Bytes head{2, 8, 0, 1, 1, 1, 0, 0};
    std::copy(head.begin(), head.end(), noStringSet.end() - 8);
    EXPECT_EQ(Scan(noStringSet), "");

    // Table outside the copy: below 0xF0000 and beyond its end.
    EXPECT_EQ(Scan(BiosArea(good, 1, 0x000E0000)), "");
    EXPECT_EQ(Scan(BiosArea(good, 1, 0x00100000)), "");
    EXPECT_EQ(Scan(BiosArea(good, 1, 0xFFFFFFFF)), "");

    // A structure whose length does not even cover its header.
    Bytes zeroLength{2, 0, 0, 0};
    EXPECT_EQ(Scan(BiosArea(Concat({zeroLength, good}), 2)), "");
    EXPECT_EQ(Scan(BiosArea(Bytes(64, 0), 0xFFFF)), "");

    // A formatted area longer than what is left of the buffer.
    Bytes longHeader = BiosArea({}, 1, 0xFFFFC);
    const Bytes header{2, 200, 0, 0};
    std::copy(header.begin(), header.end(), longHeader.end() - 4);
    EXPECT_EQ(Scan(longHeader), "");
}

TEST(SystemInfoDmi, EntryPointOnlyAtSixteenByteBoundariesOfTheBuffer)
{
    const Bytes table = BaseBoard(1, {"Found (x)"});
    std::string product;

    Bytes misaligned = BiosArea(table, 1, 0xF1000, 0x0808);
    EXPECT_FALSE(CSystemInfo::ScanDmiBoardName(misaligned, product));

    EXPECT_EQ(Scan(BiosArea(table, 1, 0xF1000, 0xFFF0)), "Found (x)");

    // An anchor whose entry point is cut by the end of the buffer is no entry
    // point; neither is an empty or short buffer.
    Bytes cut(0xFA, 0);
    std::copy_n("_DMI_", 5, cut.begin() + 0xF0);
    EXPECT_FALSE(CSystemInfo::ScanDmiBoardName(cut, product));
    EXPECT_FALSE(CSystemInfo::ScanDmiBoardName({}, product));
}

TEST(SystemInfoSmbios, WalksUntilEndOfTableOrBufferEnd)
{
    const Bytes bios = Structure(0, {0x01, 0x02}, {"Vendor", "1.0"});
    EXPECT_EQ(CSystemInfo::ScanSmbiosBoardName(Concat({bios, BaseBoard(1, {"Sm (1)"})})), "Sm (1)");
    EXPECT_EQ(CSystemInfo::ScanSmbiosBoardName(
                  Concat({BaseBoard(1, {"Before (1)"}), Structure(127, {}, {}), BaseBoard(1, {"After (2)"})})),
              "Before (1)");
    const Bytes cut = Concat({BaseBoard(1, {"Cut (1)"}), Bytes{2, 8, 0}});
    EXPECT_EQ(CSystemInfo::ScanSmbiosBoardName(cut), "");
    EXPECT_EQ(CSystemInfo::ScanSmbiosBoardName({}), "");
}

TEST_F(SystemInfoTree, BoardNameFromSysfsFirst)
{
    Write("sys/class/dmi/id/board_name", "KV-8X Pro/Max (rev 1.1)\n");
    Write("sys/firmware/dmi/tables/DMI", std::string());
    EXPECT_EQ(Info().ReadBoardProduct(), "KV-8X Pro/Max (rev 1.1)");
    EXPECT_EQ(Info().GetBoardName(), "kv-8x pro_max");
}

TEST_F(SystemInfoTree, BoardNameFallsBackToBiosAreaThenSmbiosTable)
{
    EXPECT_EQ(Info().ReadBoardProduct(), "NULL");
    EXPECT_EQ(Info().GetBoardName(), "");

    const Bytes smbios = Concat({BaseBoard(1, {"Smbios Board (a)"}), Structure(127, {}, {})});
    Write("sys/firmware/dmi/tables/DMI", std::string(smbios.begin(), smbios.end()));
    EXPECT_EQ(Info().GetBoardName(), "smbios board");

    // The BIOS area lies at 0xF0000 of the memory device.
    const Bytes area = BiosArea(BaseBoard(1, {"Legacy Board (b)"}), 1);
    Write("dev/mem", std::string(area.begin(), area.end()), 0xF0000);
    EXPECT_EQ(Info().GetBoardName(), "legacy board");

    // An empty sysfs name counts as missing; a present one wins.
    Write("sys/class/dmi/id/board_name", "\n");
    EXPECT_EQ(Info().GetBoardName(), "legacy board");
    Write("sys/class/dmi/id/board_name", "Sysfs (c)\n");
    EXPECT_EQ(Info().GetBoardName(), "sysfs");
}

TEST_F(SystemInfoTree, CpuClockFromCpufreqThenCpuinfo)
{
    const std::string freq = "sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq";
    EXPECT_EQ(Info().GetCpuClock(), "NULL");

    Write("proc/cpuinfo", "processor\t: 0\nmodel name\t: Test CPU\ncpu MHz\t\t: 3792.872\ncache size\t: 8 kB\n"
                          "processor\t: 1\ncpu MHz\t\t: 1200.000\n");
    EXPECT_EQ(Info().GetCpuClock(), "3792");

    Write(freq, "2400000\n");
    EXPECT_EQ(Info().GetCpuClock(), "2400");
    Write(freq, "1999999\n");
    EXPECT_EQ(Info().GetCpuClock(), "1999");

    Write(freq, "<unknown>\n");
    EXPECT_EQ(Info().GetCpuClock(), "3792");

    Write("proc/cpuinfo", "processor\t: 0\ncpu MHz\t\t: n/a\n");
    EXPECT_EQ(Info().GetCpuClock(), "NULL");
}
