// One packet of the link with Dravik Manager, at most 260 bytes:
//   0      start marker: 0xA5 (0xF5 accepted from the suite)
//   1      type
//   2      n, the number of data bytes
//   3..    n data bytes
//   3 + n  checksum: (type + n + data) mod 256
//   4 + n  end marker: 0xAA after 0xA5, 0xFA after 0xF5
// Types 166 and 172 travel as three bytes only: start, type, end.
// Built and changed through CSuiteLink, which keeps checksum and end marker
// in place.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

class CSuitePacket {
public:
    static constexpr std::size_t kMaxSize = 260;
    static constexpr std::uint8_t kStart = 0xA5;
    static constexpr std::uint8_t kEnd = 0xAA;
    static constexpr std::uint8_t kSuiteStart = 0xF5;
    static constexpr std::uint8_t kSuiteEnd = 0xFA;

    std::uint8_t Start() const { return m_bytes[0]; }
    std::uint8_t Type() const { return m_bytes[1]; }
    std::uint8_t Count() const { return m_bytes[2]; }
    std::uint8_t Data(std::size_t index) const { return m_bytes[3 + index]; }
    std::uint8_t ChecksumByte() const { return m_bytes[3 + Count()]; }
    std::uint8_t End() const { return m_bytes[4 + Count()]; }

    // The size on the wire: 3 for types 166 and 172, n + 5 otherwise.
    std::size_t WireSize() const { return WireSizeOf(Type(), Count()); }
    static std::size_t WireSizeOf(std::uint8_t type, std::uint8_t count)
    {
        return (type == 166 || type == 172) ? 3 : static_cast<std::size_t>(count) + 5;
    }

    // The WireSize() bytes that are sent.
    std::span<const std::uint8_t> Bytes() const { return std::span(m_bytes).first(WireSize()); }

    bool operator==(const CSuitePacket&) const = default;

private:
    friend class CSuiteLink;
    std::array<std::uint8_t, kMaxSize> m_bytes{};
};
