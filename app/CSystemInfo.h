// The two facts the main window needs about the computer: the motherboard's
// product name (which selects the board's defaults file and registry keys) and
// the processor's current clock (reported to Dravik Manager).
//
// Every source is read below a root directory prefix: "/" in production, a
// fixture tree in tests.
//
// Where the board name comes from on Linux:
//   1. <root>/sys/class/dmi/id/board_name, the kernel's copy of the Base Board
//      product (the management-interface query of the Windows build);
//   2. only when that is missing or empty: the legacy DMI table in the BIOS
//      area, read from <root>/dev/mem at 0xF0000 (64 KiB; root only, legacy
//      BIOS only);
//   3. only when no "_DMI_" entry point is found there: the SMBIOS structure
//      table <root>/sys/firmware/dmi/tables/DMI (root only).
// The text found is then normalised by NormaliseBoardName.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CSystemInfo {
public:
    // rootDirectory: "/" in production; "" counts as "/".
    explicit CSystemInfo(std::string rootDirectory = "/");

    // The normalised board product name; empty when nothing usable is found
    // (or when the product text carries no "(", see NormaliseBoardName).
    std::string GetBoardName() const;

    // The processor clock in MHz as decimal text: scaling_cur_freq of cpu0
    // (kHz / 1000), else the integer part of the first "cpu MHz" line of
    // /proc/cpuinfo, else "NULL".
    std::string GetCpuClock() const;

    // The raw Base Board product from sysfs (first line, without the line
    // end); "NULL" when the file cannot be read, as a failed query gives.
    std::string ReadBoardProduct() const;

    // Cut at the first "(" (a text without "(" becomes empty), "/" → "_",
    // lower case, then blanks removed at the end and at the start. The board
    // names the defaults file "<name>def.ini", so the product's revision
    // suffix "(rev 1)" must go and "/" must not make a sub-directory.
    static std::string NormaliseBoardName(std::string_view product);

    // Looks for the legacy "_DMI_" entry point at the 16-byte boundaries of a
    // copy of the BIOS area that starts at physical address 0xF0000 (4096
    // positions, the whole 64 KiB) and walks the structure table it points to
    // inside the same copy. False when no entry point is found. True
    // otherwise, with product = the Product string of the last Base Board
    // structure, or empty when there is none or the table is damaged.
    static bool ScanDmiBoardName(std::span<const std::uint8_t> biosArea, std::string& product);

    // The same structure walk over an SMBIOS structure table (no entry point,
    // no count: structures until the end-of-table type 127 or the end of the
    // buffer).
    static std::string ScanSmbiosBoardName(std::span<const std::uint8_t> table);

private:
    std::string PathOf(std::string_view relative) const;
    std::vector<std::uint8_t> ReadBiosArea() const;
    std::vector<std::uint8_t> ReadWholeFile(std::string_view relative) const;
    bool ReadFirstLine(std::string_view relative, std::string& line) const;

    std::string m_strRoot;  // always ends in "/"
};
