#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "accesslib/Wbcdflsh.h"
#include "engine/CAccessLibrary.h"
#include "platform/CFakeLibraryLoader.h"

namespace {

TEST(AccessLibraryTest, LoadsByBareNameAndResolvesAllEntryPointsInOrder) {
    FakeChip chip;
    CFakeLibraryLoader loader("libWbcdflsh.so");
    chip.Install(loader);
    {
        CAccessLibrary library(loader);
        EXPECT_TRUE(library.IsUsable());
        EXPECT_EQ(loader.LastOpenedName(), "libWbcdflsh.so");
        EXPECT_EQ(loader.LookedUp(), std::vector<std::string>(std::begin(kWbcdflshEntryNames),
                                                              std::end(kWbcdflshEntryNames)));
        EXPECT_TRUE(library.InitBus(1, 0x5A, 0x92, 0x90));
        EXPECT_TRUE(library.LoadDriver());
        EXPECT_TRUE(library.UnloadDriver());
        EXPECT_EQ(chip.initialBusCalls, 1);
        EXPECT_EQ(loader.Closes(), 0);
    }
    EXPECT_EQ(loader.Closes(), 1);
}

TEST(AccessLibraryTest, StatusCodesOtherThanZeroAreFailures) {
    FakeChip chip;
    CFakeLibraryLoader loader("libWbcdflsh.so");
    chip.Install(loader);
    chip.initialBusResult = 1;
    chip.loadResult = -3;
    chip.unloadResult = 2;
    CAccessLibrary library(loader);
    EXPECT_FALSE(library.InitBus(1, 0x5A, 0x92, 0x90));
    EXPECT_FALSE(library.LoadDriver());
    EXPECT_FALSE(library.UnloadDriver());
}

TEST(AccessLibraryTest, AnyMissingEntryPointMakesTheLibraryUnusable) {
    for (std::size_t missing = 0; missing < 14; ++missing) {
        const std::string name = kWbcdflshEntryNames[missing];
        FakeChip chip;
        CFakeLibraryLoader loader("libWbcdflsh.so");
        chip.Install(loader, name);
        {
            CAccessLibrary library(loader);
            EXPECT_FALSE(library.IsUsable()) << name;
            // The lookup stops at the first missing name.
            ASSERT_EQ(loader.LookedUp().size(), missing + 1) << name;
            EXPECT_EQ(loader.LookedUp().back(), name);

            int16_t error = 0;
            EXPECT_EQ(library.InPort(kChipDataPort, error), 0);
            EXPECT_NE(error, 0);
            error = 0;
            library.OutPort(kChipAddressPort, 0x4F, error);
            EXPECT_NE(error, 0);
            EXPECT_FALSE(library.InitBus(1, 0x5A, 0x92, 0x90));
            EXPECT_FALSE(library.LoadDriver());
            EXPECT_FALSE(library.UnloadDriver());
            EXPECT_EQ(chip.inPortCalls + chip.outPortCalls + chip.initialBusCalls + chip.loadCalls + chip.unloadCalls,
                      0)
                << name;
        }
        EXPECT_EQ(loader.Closes(), 1) << "a loaded library is freed even when unusable";
    }
}

TEST(AccessLibraryTest, LibraryThatDoesNotLoadIsUnusableAndNotFreed) {
    FakeChip chip;
    CFakeLibraryLoader loader("libWbcdflsh.so");
    chip.Install(loader);
    loader.SetLoadable(false);
    {
        CAccessLibrary library(loader);
        EXPECT_FALSE(library.IsUsable());
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_TRUE(loader.LookedUp().empty());
    }
    EXPECT_EQ(loader.Closes(), 0);
}

}  // namespace
