#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

#include "history/HistoryFixture.h"
#include "metrics/CMetricsExposition.h"
#include "support/CTempDir.h"

namespace {

CReadingSnapshot AwkwardSnapshot() {
    CReadingSnapshot snapshot = MakeSnapshot(kDayStartMs, 1.712, 45.5, 2410.0);
    snapshot.items[0].name = "V\"Core\\1\n";
    snapshot.items[1].alarm = true;
    // A fan whose reading failed: no value, only reading_ok 0.
    snapshot.items[2].readOk = false;
    snapshot.items[2].value.reset();
    return snapshot;
}

// promtool's verdict on an exposition, or nothing without promtool.
std::optional<std::string> Promtool(const std::string& text) {
    if (!std::filesystem::exists("/usr/bin/promtool")) return std::nullopt;
    CTempDir dir;
    CTempDir::Write(dir.File("in.prom"), text);
    const std::string command = "/usr/bin/promtool check metrics < " + dir.File("in.prom") + " > " + dir.File("out") + " 2>&1";
    const int status = std::system(command.c_str());
    return std::to_string(status) + ":" + CTempDir::Read(dir.File("out"));
}

}  // namespace

TEST(MetricsExposition, BaseUnitsHelpAndTypeAndEscapedLabels) {
    const std::string text = CMetricsExposition::Text(AwkwardSnapshot(), "1.2.3.2");
    EXPECT_EQ(text,
              "# HELP kelvane_info The Kelvane program and the chip it reads; always 1.\n"
              "# TYPE kelvane_info gauge\n"
              "kelvane_info{chip=\"W83782D\",access=\"simulator\",version=\"1.2.3.2\"} 1\n"
              "# HELP kelvane_voltage_volts Voltage read from the monitor chip.\n"
              "# TYPE kelvane_voltage_volts gauge\n"
              "kelvane_voltage_volts{chip=\"W83782D\",item=\"VOLT1\",name=\"V\\\"Core\\\\1\\n\"} 1.712\n"
              "# HELP kelvane_temperature_celsius Temperature read from the monitor chip.\n"
              "# TYPE kelvane_temperature_celsius gauge\n"
              "kelvane_temperature_celsius{chip=\"W83782D\",item=\"TEMP1\",name=\"CPU\"} 45.5\n"
              "# HELP kelvane_limit_high_volts High limit of a voltage.\n"
              "# TYPE kelvane_limit_high_volts gauge\n"
              "kelvane_limit_high_volts{chip=\"W83782D\",item=\"VOLT1\",name=\"V\\\"Core\\\\1\\n\"} 1.9\n"
              "# HELP kelvane_limit_low_volts Low limit of a voltage.\n"
              "# TYPE kelvane_limit_low_volts gauge\n"
              "kelvane_limit_low_volts{chip=\"W83782D\",item=\"VOLT1\",name=\"V\\\"Core\\\\1\\n\"} 1.5\n"
              "# HELP kelvane_limit_high_celsius High limit of a temperature.\n"
              "# TYPE kelvane_limit_high_celsius gauge\n"
              "kelvane_limit_high_celsius{chip=\"W83782D\",item=\"TEMP1\",name=\"CPU\"} 60\n"
              "# HELP kelvane_limit_low_celsius Low limit (hysteresis) of a temperature.\n"
              "# TYPE kelvane_limit_low_celsius gauge\n"
              "kelvane_limit_low_celsius{chip=\"W83782D\",item=\"TEMP1\",name=\"CPU\"} 55\n"
              "# HELP kelvane_limit_low_rpm Low limit of a fan speed, in revolutions per minute.\n"
              "# TYPE kelvane_limit_low_rpm gauge\n"
              "kelvane_limit_low_rpm{chip=\"W83782D\",item=\"FAN1\",name=\"CPU FAN\"} 1200\n"
              "# HELP kelvane_alarm 1 while the item is out of its limits, else 0.\n"
              "# TYPE kelvane_alarm gauge\n"
              "kelvane_alarm{chip=\"W83782D\",item=\"VOLT1\",name=\"V\\\"Core\\\\1\\n\"} 0\n"
              "kelvane_alarm{chip=\"W83782D\",item=\"TEMP1\",name=\"CPU\"} 1\n"
              "# HELP kelvane_reading_ok 1 when the item's last reading succeeded, 0 when it failed.\n"
              "# TYPE kelvane_reading_ok gauge\n"
              "kelvane_reading_ok{chip=\"W83782D\",item=\"VOLT1\",name=\"V\\\"Core\\\\1\\n\"} 1\n"
              "kelvane_reading_ok{chip=\"W83782D\",item=\"TEMP1\",name=\"CPU\"} 1\n"
              "kelvane_reading_ok{chip=\"W83782D\",item=\"FAN1\",name=\"CPU FAN\"} 0\n");
}

TEST(MetricsExposition, PromtoolFindsNothingToCriticise) {
    for (const CReadingSnapshot& snapshot : {AwkwardSnapshot(), MakeSnapshot(kDayStartMs, 3.3, -5.0, 0.0), CReadingSnapshot{}}) {
        const std::optional<std::string> verdict = Promtool(CMetricsExposition::Text(snapshot, "1.2.3.2"));
        if (!verdict) GTEST_SKIP() << "promtool is not installed (Debian package prometheus)";
        EXPECT_EQ(*verdict, "0:");
    }
}

TEST(MetricsExposition, TheTextfileIsReplacedWholeOrNotAtAll) {
    CTempDir dir;
    std::string error;
    ASSERT_TRUE(CMetricsExposition::WriteTextfile(dir.Path(), "first\n", error)) << error;
    ASSERT_TRUE(CMetricsExposition::WriteTextfile(dir.Path(), "second\n", error)) << error;
    EXPECT_EQ(CTempDir::Read(dir.File("kelvane.prom")), "second\n");
    // Nothing else is left behind for the collector to find.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    EXPECT_FALSE(CMetricsExposition::WriteTextfile(dir.File("missing"), "x\n", error));
    EXPECT_NE(error.find(dir.File("missing")), std::string::npos);
}
