#include "windows/CSuiteLink.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Wire(const CSuitePacket& packet)
{
    const auto b = packet.Bytes();
    return Bytes(b.begin(), b.end());
}

// Frame and checksum hold: start, n, checksum over type, n and data, end.
void ExpectSealed(const CSuitePacket& p)
{
    unsigned sum = p.Type() + p.Count();
    for (std::size_t i = 0; i < p.Count(); ++i)
        sum += p.Data(i);
    EXPECT_EQ(p.ChecksumByte(), static_cast<std::uint8_t>(sum));
    EXPECT_EQ(CSuiteLink::Checksum(p), static_cast<std::uint8_t>(sum));
    EXPECT_EQ(p.Start(), 0xA5);
    EXPECT_EQ(p.End(), 0xAA);
}

}  // namespace

TEST(SuiteLink, ReadingPacketsCarryTheSuitesBytes)
{
    EXPECT_EQ(Wire(CSuiteLink::ReadingPacket(CSuiteLink::FanRecord(11, 2345, false))),
              (Bytes{0xA5, 0x01, 0x04, 0x0B, 0x45, 0x23, 0x00, 0x78, 0xAA}));

    const struct {
        CSuiteLink::Record record;
        CSuiteLink::Record expected;
    } cases[] = {
        {CSuiteLink::TemperatureRecord(16, 41.7, true, false), {16, 0x41, 0x00, 0}},
        {CSuiteLink::TemperatureRecord(17, 41.7, false, true), {17, 0x05, 0x11, 1}},   // 105 F
        {CSuiteLink::TemperatureRecord(16, 40.99, false, false), {16, 0x04, 0x11, 0}}, // 40 C → 104 F
        {CSuiteLink::TemperatureRecord(16, 127.0, true, false), {16, 0x27, 0x01, 0}},
        {CSuiteLink::TemperatureRecord(16, -0.5, true, false), {16, 0x00, 0x00, 0}},
        {CSuiteLink::TemperatureRecord(16, -12.0, true, false), {16, 0x00, 0x00, 0}},  // no sign: 0
        {CSuiteLink::TemperatureRecord(16, -12.0, false, false), {16, 0x11, 0x10, 0}}, // 11 F
        {CSuiteLink::FrequencyRecord("2400"), {19, 0x00, 0x24, 0}},
        {CSuiteLink::FrequencyRecord("3792 MHz"), {19, 0x92, 0x37, 0}},
        {CSuiteLink::FrequencyRecord("NULL"), {19, 0x00, 0x00, 0}},
        {CSuiteLink::FrequencyRecord(""), {19, 0x00, 0x00, 0}},
        {CSuiteLink::FanRecord(13, 0, true), {13, 0x00, 0x00, 1}},
        {CSuiteLink::FanRecord(13, 10500, false), {13, 0x00, 0xA5, 0}},  // high nibble above 9, as computed
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.record, c.expected) << int(c.record[0]);
}

TEST(SuiteLink, EveryChangeKeepsChecksumAndEndMarkerInPlace)
{
    CSuitePacket p = CSuiteLink::NewPacket();
    EXPECT_EQ(Wire(p), (Bytes{0xA5, 0xFF, 0x00, 0xFF, 0xAA}));

    CSuiteLink::SetType(p, 1);
    EXPECT_EQ(Wire(p), (Bytes{0xA5, 0x01, 0x00, 0x01, 0xAA}));

    EXPECT_FALSE(CSuiteLink::SetDataByte(p, 0, 0x42));
    EXPECT_TRUE(CSuiteLink::AppendByte(p, 0x10));
    EXPECT_TRUE(CSuiteLink::AppendByte(p, 0xF0));
    EXPECT_EQ(Wire(p), (Bytes{0xA5, 0x01, 0x02, 0x10, 0xF0, 0x03, 0xAA}));

    EXPECT_TRUE(CSuiteLink::SetDataByte(p, 1, 0x20));
    EXPECT_FALSE(CSuiteLink::SetDataByte(p, 2, 0x20));
    EXPECT_EQ(Wire(p), (Bytes{0xA5, 0x01, 0x02, 0x10, 0x20, 0x33, 0xAA}));
    ExpectSealed(p);
}

TEST(SuiteLink, AppendStopsAt255DataBytes)
{
    CSuitePacket p = CSuiteLink::NewPacket();
    CSuiteLink::SetType(p, 1);
    for (int i = 0; i < 255; ++i)
        ASSERT_TRUE(CSuiteLink::AppendByte(p, static_cast<std::uint8_t>(i)));
    const CSuitePacket full = p;
    EXPECT_FALSE(CSuiteLink::AppendByte(p, 0x55));
    EXPECT_EQ(p, full);
    EXPECT_EQ(p.Count(), 255);
    EXPECT_EQ(p.WireSize(), 260u);
    ExpectSealed(p);
    EXPECT_EQ(Wire(p).back(), 0xAA);
}

TEST(SuiteLink, ParsesOnlyWellFramedDatagramsOfTheirDeclaredSize)
{
    const Bytes good{0xA5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x14, 0xAA};
    const Bytes suite{0xF5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x00, 0xFA};  // checksum not examined
    const Bytes shortType{0xF5, 166, 0xFA};
    for (const Bytes& d : {good, suite, shortType}) {
        const auto p = CSuiteLink::ParsePacket(d);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(Wire(*p), Bytes(d.begin(), d.begin() + static_cast<long>(p->WireSize())));
    }

    const Bytes rejected[] = {
        {0xA5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x14, 0xFA},  // end does not match start
        {0xF5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x14, 0xAA},
        {0xB5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x14, 0xAA},  // unknown start
        {0xA5, 0x01, 0x03, 0x08, 0x00, 0x08, 0xAA},        // shorter than n + 5
        {0xA5, 0x01, 0xFF, 0x00, 0xAA},                    // declares 255 data bytes
        {0xA5, 0x01, 0x03, 0x08, 0x00, 0x08, 0x14, 0xAA, 0x99},  // a byte beyond the frame
        {0xF5, 166, 0xFA, 0xFA},
        {0xA5, 172},
        {},
    };
    for (const Bytes& d : rejected)
        EXPECT_FALSE(CSuiteLink::ParsePacket(d).has_value()) << d.size();

    Bytes largest(260, 0);
    largest[0] = 0xA5;
    largest[1] = 1;
    largest[2] = 255;
    largest[259] = 0xAA;
    EXPECT_TRUE(CSuiteLink::ParsePacket(largest).has_value());
    largest.push_back(0xAA);
    EXPECT_FALSE(CSuiteLink::ParsePacket(largest).has_value());
}

TEST(SuiteLink, TypeOnePacketChoosesTheSendList)
{
    const auto masks = [](Bytes data, std::uint8_t type = 1) {
        CSuitePacket p = CSuiteLink::NewPacket();
        CSuiteLink::SetType(p, type);
        for (std::uint8_t b : data)
            CSuiteLink::AppendByte(p, b);
        return CSuiteLink::SendListFromPacket(*CSuiteLink::ParsePacket(Wire(p)));
    };
    EXPECT_EQ(masks({0x08, 0x00, 0x08}), (std::vector<std::uint8_t>{3, 19}));
    EXPECT_EQ(masks({0x00, 0x28, 0x0B}), (std::vector<std::uint8_t>{11, 13, 16, 17, 19}));
    EXPECT_EQ(masks({0x81, 0x00, 0x80, 0xFF}), (std::vector<std::uint8_t>{0, 7, 23}));
    EXPECT_EQ(masks({0x00, 0x00, 0x00}), std::vector<std::uint8_t>{});
    EXPECT_FALSE(masks({0x08, 0x00}).has_value());
    EXPECT_FALSE(masks({}).has_value());
    EXPECT_FALSE(masks({0x08, 0x00, 0x08}, 2).has_value());
}
