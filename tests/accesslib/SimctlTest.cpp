// kelvane-simctl, run as the built binary on a private program directory.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/accesslib/CLoadedSimulator.h"

TEST(Simctl, BadInputExitsWithStatusTwoAndChangesNothing) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  ASSERT_EQ(sim.Read(0x58), 0x30);  // the state file exists from here on
  const std::string& dir = sim.Directory();
  const std::vector<std::vector<std::string>> cases = {
      {"--dir", dir, "set", "TEMP9=40"},
      {"--dir", dir, "set", "TEMP1=126"},
      {"--dir", dir, "set", "IN0=-0.1"},
      {"--dir", dir, "set", "FAN1=fast"},
      {"--dir", dir, "set", "TEMP1=82.5", "FAN2=100001"},
      {"--dir", dir, "set", "TEMP1=82.5", "NoChip=2"},
      {"--dir", dir, "set", "TEMP1"},
      {"--dir", dir, "set"},
      {"--dir", dir, "chip", "W99999"},
      {"--dir", dir, "chip", "0x99"},
      {"--dir", dir, "frobnicate"},
      {"--dir", dir, "--verbose", "show"},
      {"--dir", dir + "/missing", "set", "TEMP1=40"},
      {"--dir"},
      {"--dir", dir},
  };
  const std::string before = ReadWholeFile(sim.StatePath());
  for (const std::vector<std::string>& arguments : cases) {
    std::string arguments_text;
    for (const std::string& a : arguments) arguments_text += a + " ";
    SCOPED_TRACE(arguments_text);
    std::string error;
    EXPECT_EQ(sim.Simctl(arguments, &error), 2);
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    EXPECT_EQ(ReadWholeFile(sim.StatePath()), before);
  }
}

TEST(Simctl, SetResetAndChipChangeTheRunningChip) {
  CLoadedSimulator sim("[Chip]\nModel=W83627F\n");
  ASSERT_TRUE(sim.Loaded());
  const std::string& dir = sim.Directory();
  ASSERT_EQ(sim.Simctl({"--dir", dir, "set", "TEMP1=82.5", "FAN2=0"}), 0);
  EXPECT_EQ(sim.Read(0x27), 82);
  EXPECT_EQ(sim.Read(0x29), 255);
  ASSERT_EQ(sim.Simctl({"--dir", dir, "chip", "W83791D_B"}), 0);
  EXPECT_EQ(sim.Read(0x58), 0x70);
  EXPECT_EQ(sim.Read(0x27), 82) << "inputs stay when the part changes";
  ASSERT_EQ(sim.Simctl({"--dir", dir, "reset"}), 0);
  EXPECT_EQ(sim.Read(0x58), 0x21);
  EXPECT_EQ(sim.Read(0x27), 38);
  EXPECT_EQ(sim.Simctl({"--dir", dir, "show"}), 0);
  EXPECT_EQ(sim.Simctl({"--help"}), 0);
}
