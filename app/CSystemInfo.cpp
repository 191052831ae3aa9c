#include "app/CSystemInfo.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace {

constexpr std::uint32_t kBiosAreaBase = 0xF0000;
constexpr std::size_t kBiosAreaSize = 0x10000;
constexpr std::size_t kEntryPointPositions = 4096;
constexpr std::size_t kEntryPointStep = 16;
// The entry point fields read here end with the structure count at 12–13.
constexpr std::size_t kEntryPointUsedSize = 14;

constexpr std::uint8_t kBaseBoardType = 2;
constexpr std::uint8_t kEndOfTableType = 127;
constexpr std::size_t kBaseBoardProductOffset = 5;
// Every structure header holds type, length and a 16-bit handle.
constexpr std::size_t kMinimumStructureLength = 4;

// A structure's strings are kept in nine slots of 128 bytes: slot 0 stands for
// "no string", slots 1–8 hold strings 1–8, each at most 127 characters.
constexpr std::size_t kStringSlots = 9;
constexpr std::size_t kSlotTextLength = 127;

std::uint16_t ReadWord(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t ReadDword(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Walks `count` structures from offset `at` (without a count: up to the
// end-of-table structure or the end of the buffer) and gives the Product string
// of the last Base Board structure. A damaged table (a structure shorter than
// its header, one that runs past the buffer, or fewer structures than the
// entry point announces) cannot be trusted and gives an empty text.
std::string WalkStructures(std::span<const std::uint8_t> table, std::size_t at, std::optional<std::size_t> count)
{
    std::string product;
    for (std::size_t n = 0; !count || n < *count; ++n) {
        if (at >= table.size())
            return count ? std::string() : product;
        if (table.size() - at < 2)
            return {};
        const std::uint8_t type = table[at];
        const std::size_t length = table[at + 1];
        if (length < kMinimumStructureLength || length > table.size() - at)
            return {};
        if (type == kEndOfTableType)
            break;

        // The string set follows the formatted area and ends at the first pair
        // of zero bytes (a structure without strings is just that pair).
        std::array<std::string, kStringSlots> slots;
        std::size_t stringCount = 0;
        std::size_t s = at + length;
        for (;;) {
            if (s >= table.size())
                return {};
            const auto* begin = table.data() + s;
            const auto* zero = static_cast<const std::uint8_t*>(std::memchr(begin, 0, table.size() - s));
            if (zero == nullptr)
                return {};
            const std::size_t textLength = static_cast<std::size_t>(zero - begin);
            if (textLength == 0) {
                // An empty string can only be the set's terminator: either the
                // second zero of a string-less structure or the one after the
                // last string.
                if (stringCount == 0) {
                    if (table.size() - s < 2 || table[s + 1] != 0)
                        return {};
                    ++s;
                }
                ++s;
                break;
            }
            ++stringCount;
            if (stringCount < kStringSlots)
                slots[stringCount].assign(reinterpret_cast<const char*>(begin),
                                          std::min(textLength, kSlotTextLength));
            s += textLength + 1;
        }

        if (type == kBaseBoardType) {
            product.clear();
            if (length > kBaseBoardProductOffset) {
                const std::size_t number = table[at + kBaseBoardProductOffset];
                if (number > 0 && number < kStringSlots && number <= stringCount)
                    product = slots[number];
            }
        }
        at = s;
    }
    return product;
}

}  // namespace

CSystemInfo::CSystemInfo(std::string rootDirectory) : m_strRoot(std::move(rootDirectory))
{
    if (m_strRoot.empty() || m_strRoot.back() != '/')
        m_strRoot += '/';
}

std::string CSystemInfo::PathOf(std::string_view relative) const
{
    return m_strRoot + std::string(relative);
}

bool CSystemInfo::ReadFirstLine(std::string_view relative, std::string& line) const
{
    std::ifstream in(PathOf(relative));
    if (!in)
        return false;
    line.clear();
    std::getline(in, line);
    return !in.bad();
}

std::vector<std::uint8_t> CSystemInfo::ReadWholeFile(std::string_view relative) const
{
    std::ifstream in(PathOf(relative), std::ios::binary);
    if (!in)
        return {};
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> CSystemInfo::ReadBiosArea() const
{
    std::vector<std::uint8_t> area;
    const int fd = ::open(PathOf("dev/mem").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return area;
    area.resize(kBiosAreaSize);
    std::size_t got = 0;
    while (got < area.size()) {
        const ssize_t n = ::pread(fd, area.data() + got, area.size() - got, static_cast<off_t>(kBiosAreaBase + got));
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    area.resize(got);
    return area;
}

std::string CSystemInfo::ReadBoardProduct() const
{
    std::string line;
    if (!ReadFirstLine("sys/class/dmi/id/board_name", line))
        return "NULL";
    return line;
}

std::string CSystemInfo::GetBoardName() const
{
    std::string product = ReadBoardProduct();
    if (product == "NULL" || product.empty()) {
        product.clear();
        if (!ScanDmiBoardName(ReadBiosArea(), product))
            product = ScanSmbiosBoardName(ReadWholeFile("sys/firmware/dmi/tables/DMI"));
    }
    return NormaliseBoardName(product);
}

std::string CSystemInfo::GetCpuClock() const
{
    std::string line;
    if (ReadFirstLine("sys/devices/system/cpu/cpu0/cpufreq/scaling_cur_freq", line)) {
        std::size_t digits = 0;
        while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
            ++digits;
        if (digits > 0 && digits < 19)
            return std::to_string(std::stoull(line.substr(0, digits)) / 1000);
    }

    std::ifstream cpuinfo(PathOf("proc/cpuinfo"));
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("cpu MHz", 0) != 0)
            continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            break;
        std::size_t at = line.find_first_not_of(" \t", colon + 1);
        std::size_t digits = 0;
        while (at != std::string::npos && at + digits < line.size() &&
               std::isdigit(static_cast<unsigned char>(line[at + digits])))
            ++digits;
        if (digits > 0 && digits < 19)
            return std::to_string(std::stoull(line.substr(at, digits)));
        break;
    }
    return "NULL";
}

std::string CSystemInfo::NormaliseBoardName(std::string_view product)
{
    const std::size_t bracket = product.find('(');
    if (bracket == std::string_view::npos)
        return {};
    std::string name(product.substr(0, bracket));
    for (char& c : name) {
        if (c == '/')
            c = '_';
        else
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
    return name;
}

bool CSystemInfo::ScanDmiBoardName(std::span<const std::uint8_t> biosArea, std::string& product)
{
    static constexpr char kAnchor[] = {'_', 'D', 'M', 'I', '_'};
    for (std::size_t i = 0; i < kEntryPointPositions; ++i) {
        const std::size_t at = i * kEntryPointStep;
        if (at >= biosArea.size() || biosArea.size() - at < kEntryPointUsedSize)
            break;
        if (std::memcmp(biosArea.data() + at, kAnchor, sizeof kAnchor) != 0)
            continue;

        const std::uint32_t tableAddress = ReadDword(biosArea, at + 8);
        const std::uint16_t structureCount = ReadWord(biosArea, at + 12);
        product.clear();
        if (tableAddress >= kBiosAreaBase && tableAddress - kBiosAreaBase < biosArea.size())
            product = WalkStructures(biosArea, tableAddress - kBiosAreaBase, structureCount);
        return true;
    }
    return false;
}

std::string CSystemInfo::ScanSmbiosBoardName(std::span<const std::uint8_t> table)
{
    return WalkStructures(table, 0, std::nullopt);
}
