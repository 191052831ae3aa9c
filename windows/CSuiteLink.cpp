#include "windows/CSuiteLink.h"

#include <cctype>
#include <cmath>
#include <cstring>

namespace {

// Two BCD digits of the hundreds: ((x div 100) div 10) × 16 + (x div 100) mod 10.
std::uint8_t Hundreds(int x)
{
    const int h = x / 100;
    return static_cast<std::uint8_t>((h / 10) * 16 + h % 10);
}

}  // namespace

CSuitePacket CSuiteLink::NewPacket()
{
    CSuitePacket packet;
    packet.m_bytes[0] = CSuitePacket::kStart;
    packet.m_bytes[1] = 0xFF;
    packet.m_bytes[2] = 0;
    Reseal(packet);
    return packet;
}

void CSuiteLink::Reseal(CSuitePacket& packet)
{
    const std::size_t n = packet.Count();
    packet.m_bytes[3 + n] = Checksum(packet);
    packet.m_bytes[4 + n] = packet.Start() == CSuitePacket::kSuiteStart ? CSuitePacket::kSuiteEnd : CSuitePacket::kEnd;
}

void CSuiteLink::SetType(CSuitePacket& packet, std::uint8_t type)
{
    packet.m_bytes[1] = type;
    Reseal(packet);
}

bool CSuiteLink::SetDataByte(CSuitePacket& packet, std::size_t index, std::uint8_t value)
{
    if (index >= packet.Count())
        return false;
    packet.m_bytes[3 + index] = value;
    Reseal(packet);
    return true;
}

bool CSuiteLink::AppendByte(CSuitePacket& packet, std::uint8_t value)
{
    const std::size_t n = packet.Count();
    if (n == 255)
        return false;
    packet.m_bytes[3 + n] = value;
    packet.m_bytes[2] = static_cast<std::uint8_t>(n + 1);
    Reseal(packet);
    return true;
}

std::uint8_t CSuiteLink::Checksum(const CSuitePacket& packet)
{
    unsigned sum = 0;
    for (std::size_t i = 1; i <= 2u + packet.Count(); ++i)
        sum += packet.m_bytes[i];
    return static_cast<std::uint8_t>(sum);
}

CSuitePacket CSuiteLink::ReadingPacket(const Record& record)
{
    CSuitePacket packet = NewPacket();
    SetType(packet, kReadingType);
    for (std::uint8_t b : record)
        AppendByte(packet, b);
    return packet;
}

std::uint8_t CSuiteLink::Bcd(int x)
{
    return static_cast<std::uint8_t>((x / 10) * 16 + x % 10);
}

CSuiteLink::Record CSuiteLink::FanRecord(std::uint8_t code, int rpm, bool inAlarm)
{
    // The record has no sign; a speed is never below 0.
    const int s = rpm < 0 ? 0 : rpm;
    return {code, Bcd(s % 100), Hundreds(s), static_cast<std::uint8_t>(inAlarm ? 1 : 0)};
}

CSuiteLink::Record CSuiteLink::TemperatureRecord(std::uint8_t code, double celsius, bool centigrade, bool inAlarm)
{
    // Whole degrees, truncated toward zero; sensor values stay far inside int.
    int t = std::isfinite(celsius) ? static_cast<int>(std::trunc(std::fmax(-1000.0, std::fmin(1000.0, celsius)))) : 0;
    if (!centigrade)
        t = (t * 9) / 5 + 32;
    // The record has no sign: temperatures below zero are sent as 0.
    if (t < 0)
        t = 0;
    const int unit = centigrade ? 0 : 0x10;
    return {code, Bcd(t % 100), static_cast<std::uint8_t>((t / 100) % 10 + unit),
            static_cast<std::uint8_t>(inAlarm ? 1 : 0)};
}

CSuiteLink::Record CSuiteLink::FrequencyRecord(std::string_view frequencyText)
{
    std::size_t at = 0;
    while (at < frequencyText.size() && std::isspace(static_cast<unsigned char>(frequencyText[at])))
        ++at;
    int f = 0;
    while (at < frequencyText.size() && std::isdigit(static_cast<unsigned char>(frequencyText[at]))) {
        // No processor clock reaches this; the cap only keeps f an int.
        if (f < 100000000)
            f = f * 10 + (frequencyText[at] - '0');
        ++at;
    }
    return {kCpuFrequency, Bcd(f % 100), Hundreds(f), 0};
}

std::optional<CSuitePacket> CSuiteLink::ParsePacket(std::span<const std::uint8_t> datagram)
{
    if (datagram.size() > CSuitePacket::kMaxSize || datagram.size() < 3)
        return std::nullopt;
    const std::size_t expected = CSuitePacket::WireSizeOf(datagram[1], datagram[2]);
    // Exactly the declared size: trailing bytes would be another frame's or
    // garbage, and are refused as a short datagram is.
    if (datagram.size() != expected)
        return std::nullopt;
    const std::uint8_t start = datagram[0];
    const std::uint8_t end = datagram[expected - 1];
    if (!(start == CSuitePacket::kStart && end == CSuitePacket::kEnd) &&
        !(start == CSuitePacket::kSuiteStart && end == CSuitePacket::kSuiteEnd))
        return std::nullopt;
    CSuitePacket packet;
    std::memcpy(packet.m_bytes.data(), datagram.data(), datagram.size());
    return packet;
}

std::optional<std::vector<std::uint8_t>> CSuiteLink::SendListFromPacket(const CSuitePacket& packet)
{
    if (packet.Type() != kReadingType || packet.Count() < 3)
        return std::nullopt;
    std::vector<std::uint8_t> codes;
    for (std::size_t i = 0; i < 3; ++i)
        for (unsigned bit = 0; bit < 8; ++bit)
            if (packet.Data(i) & (1u << bit))
                codes.push_back(static_cast<std::uint8_t>(8 * i + bit));
    return codes;
}
