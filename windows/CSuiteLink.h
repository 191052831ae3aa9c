// The link with Dravik Manager: the packets and the reading records sent to
// the suite, and what the program makes of the packets it receives. (The
// transport, one datagram per packet, lives beside these operations.)
#pragma once

#include "windows/CSuitePacket.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

class CSuiteLink {
public:
    // Item codes of the readings: code = 8 × mask byte index + bit number.
    static constexpr std::uint8_t kCpuFan = 11;
    static constexpr std::uint8_t kSystemFan = 13;
    static constexpr std::uint8_t kSystemTemperature = 16;
    static constexpr std::uint8_t kCpuTemperature = 17;
    static constexpr std::uint8_t kCpuFrequency = 19;
    static constexpr std::uint8_t kReadingType = 1;

    using Record = std::array<std::uint8_t, 4>;

    // A5 FF 00 FF AA.
    static CSuitePacket NewPacket();
    // Each change rewrites the checksum at 3 + n.
    static void SetType(CSuitePacket& packet, std::uint8_t type);
    // False (and no change) when index ≥ n.
    static bool SetDataByte(CSuitePacket& packet, std::size_t index, std::uint8_t value);
    // Adds a data byte and moves the end marker one place on; false (and no
    // change) when the packet already holds 255 data bytes.
    static bool AppendByte(CSuitePacket& packet, std::uint8_t value);
    // (type + n + data) mod 256.
    static std::uint8_t Checksum(const CSuitePacket& packet);

    // A type-1 packet carrying one reading record.
    static CSuitePacket ReadingPacket(const Record& record);

    // (x div 10) × 16 + x mod 10, kept to 8 bits.
    static std::uint8_t Bcd(int x);

    // code, BCD(s mod 100), hundreds as two BCD digits, alarm. Speeds of
    // 10000 RPM and more give a high nibble above 9, as the suite expects.
    static Record FanRecord(std::uint8_t code, int rpm, bool inAlarm);
    // t = the value truncated to whole degrees Celsius, in Fahrenheit
    // (t × 9) div 5 + 32 when centigrade is false; code, BCD(t mod 100),
    // (t div 100) mod 10 plus 0x10 for Fahrenheit, alarm.
    static Record TemperatureRecord(std::uint8_t code, double celsius, bool centigrade, bool inAlarm);
    // The frequency text's leading decimal number in MHz (0 when none):
    // code 19, BCD(f mod 100), hundreds as two BCD digits, 0.
    static Record FrequencyRecord(std::string_view frequencyText);

    // A received datagram as a packet, or nothing when it is rejected: more
    // than 260 bytes, shorter than the size its own header declares, an
    // unknown start marker, or an end marker that does not match the start.
    // The checksum is not examined.
    static std::optional<CSuitePacket> ParsePacket(std::span<const std::uint8_t> datagram);

    // The send list chosen by a type-1 packet: for mask bytes 0–2 (data
    // bytes 0–2) and bits 0–7 in ascending order, code 8 × byte + bit for
    // every set bit. Nothing for other types or fewer than three data bytes.
    static std::optional<std::vector<std::uint8_t>> SendListFromPacket(const CSuitePacket& packet);

private:
    static void Reseal(CSuitePacket& packet);
};
