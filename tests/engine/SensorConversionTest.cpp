#include <cmath>
#include <limits>
#include <optional>

#include <gtest/gtest.h>

#include "engine/SensorConversion.h"

using namespace SensorConversion;

namespace {

TEST(SensorConversionTest, PositiveRailReadsThroughItsDivider) {
    struct Case {
        unsigned raw;
        int32_t r1, r2;
        double offset;
        double volts;
    };
    const Case cases[] = {
        {200, 0, 1, 0.0, 3.2},        // direct input
        {200, 0, 1, 0.718, 3.918},    // a part whose offset bit is set
        {186, 34, 50, 0.0, 4.99968},  // +5 V through 34K/50K
        {197, 28, 10, 0.0, 11.9776},  // +12 V through 28K/10K
        {0, 0, 1, 0.7, 0.7},
    };
    for (const Case& c : cases) {
        std::optional<double> volts = VoltsFromRaw(c.raw, c.r1, c.r2, c.offset);
        ASSERT_TRUE(volts.has_value());
        EXPECT_NEAR(*volts, c.volts, 1e-9) << c.raw << " " << c.r1 << "/" << c.r2;
        std::optional<double> raw = RawFromVolts(c.volts, c.r1, c.r2, c.offset);
        ASSERT_TRUE(raw.has_value());
        EXPECT_NEAR(*raw, c.raw, 1e-6);
    }
}

TEST(SensorConversionTest, NegativeRailIsShiftedBackAgainstTheReference) {
    std::optional<double> volts = NegativeVoltsFromRaw(100, 1, 3);
    ASSERT_TRUE(volts.has_value());
    EXPECT_NEAR(*volts, 0.7 / 0.75, 1e-9);
    // -12 V through 232K/56K arrives at 0.567 V: 35 steps.
    volts = NegativeVoltsFromRaw(35, 232, 56);
    ASSERT_TRUE(volts.has_value());
    EXPECT_NEAR(*volts, -12.0, 0.1);
    std::optional<double> raw = RawFromNegativeVolts(-12.0, 232, 56);
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(LimitByteFromRaw(*raw), 35);
}

TEST(SensorConversionTest, ImpossibleDividersGiveNoVoltage) {
    EXPECT_FALSE(VoltsFromRaw(100, 5, 0, 0.0).has_value());
    EXPECT_FALSE(RawFromVolts(3.3, 5, 0, 0.0).has_value());
    EXPECT_FALSE(RawFromVolts(3.3, -5, 5, 0.0).has_value());
    EXPECT_FALSE(NegativeVoltsFromRaw(100, 0, 0).has_value());
    EXPECT_FALSE(NegativeVoltsFromRaw(100, 5, 0).has_value());  // d = 1
    EXPECT_FALSE(NegativeVoltsFromRaw(100, -5, 5).has_value());
    EXPECT_FALSE(RawFromNegativeVolts(-5.0, -5, 5).has_value());
    EXPECT_FALSE(RawFromNegativeVolts(-5.0, 5, 0).has_value());
}

TEST(SensorConversionTest, LimitBytesTruncateAndStayInTheRegister) {
    struct Case {
        double raw;
        uint8_t byte;
    };
    const Case cases[] = {
        {3.52 / 0.016, 220},  // 3.52 V on a direct input
        {5.0 / 0.016, 255},   // 312.5 is beyond the register
        {254.99, 254},
        {-0.5, 0},
        {-40.0, 0},  // never wrapped round to 216
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 255},
    };
    for (const Case& c : cases) EXPECT_EQ(LimitByteFromRaw(c.raw), c.byte) << c.raw;
}

TEST(SensorConversionTest, TemperaturesAreTwosComplementInTheirRegisterWidth) {
    struct Case {
        double field;
        unsigned bits;
        bool half;
        double celsius;
    };
    const Case cases[] = {
        {101, 9, true, 50.5},  {101, 8, false, 101.0}, {0xFB, 8, false, -5.0}, {0x80, 8, false, -128.0},
        {0x7F, 8, false, 127.0}, {511, 9, true, -0.5},  {502, 9, true, -5.0},   {256, 9, true, -128.0},
        {255, 9, true, 127.5},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(CelsiusFromField(c.field, c.bits, c.half), c.celsius) << c.field << "/" << c.bits;
        EXPECT_DOUBLE_EQ(FieldFromCelsius(c.celsius, c.bits, c.half), c.field) << c.celsius << "/" << c.bits;
    }
    // Limits beyond the register's range are kept to its ends, never wrapped.
    EXPECT_DOUBLE_EQ(FieldFromCelsius(200, 8, false), 127.0);
    EXPECT_DOUBLE_EQ(FieldFromCelsius(-200, 9, true), 256.0);
    EXPECT_DOUBLE_EQ(FieldFromCelsius(60, 9, true), 120.0);
}

TEST(SensorConversionTest, FanValueAndSpeedFromTheCount) {
    struct Case {
        double count, scale, fanValue;
    };
    const Case values[] = {{135, 1, 120}, {255, 1, 0}, {200, 2, 0}, {0, 1, 255}, {100, 0.5, 205}};
    for (const Case& c : values) EXPECT_DOUBLE_EQ(FanValueFromCount(c.count, c.scale), c.fanValue) << c.count;

    struct Rpm {
        uint8_t fanValue, divisor;
        bool halved;
        int32_t rpm;
    };
    const Rpm speeds[] = {
        {120, 2, false, 5000}, {120, 2, true, 2500}, {254, 2, false, 675000},
        {255, 2, false, 675000},  // 255 - b of 0 counts as 1
        {120, 0, false, 0},       // no divisor known: no speed, no division by zero
        {120, 8, false, 1250},
    };
    for (const Rpm& s : speeds) EXPECT_EQ(CountToRpm(s.fanValue, s.divisor, s.halved), s.rpm) << int(s.fanValue);
}

TEST(SensorConversionTest, FanLowLimitBecomesACountLimit) {
    EXPECT_DOUBLE_EQ(CountFromFanValue(120, 1), 135);
    EXPECT_DOUBLE_EQ(CountFromFanValue(120, 2), 255);  // 270 is beyond the counter
    EXPECT_DOUBLE_EQ(CountFromFanValue(300, 1), 0);    // a limit above the scale
}

TEST(SensorConversionTest, DivisorCodesArePowersOfTwo) {
    const std::pair<uint8_t, uint8_t> codes[] = {{8, 3}, {1, 0}, {6, 2}, {0, 0}, {128, 7}, {255, 7}};
    for (auto [divisor, code] : codes) EXPECT_EQ(DivisorCode(divisor), code) << int(divisor);
    EXPECT_EQ(DivisorFromCode(0), 1);
    EXPECT_EQ(DivisorFromCode(3), 8);
    EXPECT_EQ(DivisorFromCode(7), 128);
    EXPECT_EQ(DivisorFromCode(8), 0);
}

}  // namespace
