#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "engine/CAccessLibrary.h"
#include "engine/CMonitorChip.h"
#include "engine/CRegisterField.h"
#include "platform/CCountingChipLock.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CRecordingMessageBox.h"

namespace {

class RegisterFieldTest : public ::testing::Test {
protected:
    RegisterFieldTest() {
        fake.Install(loader);
        library = std::make_unique<CAccessLibrary>(loader);
        chip.AttachLibrary(library.get());
        field.Attach(&chip);
    }

    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CCountingChipLock lock;
    CRecordingMessageBox box;
    std::unique_ptr<CAccessLibrary> library;
    CMonitorChip chip{lock, box};
    CRegisterField field;
};

TEST_F(RegisterFieldTest, NineBitReadingFromTwoPartsInTheirBank) {
    // Half degrees: bit 7 of 0x51 is the low bit, 0x50 the upper eight.
    field.Define(9, 1, 0x51, 1, 7, 1, 0x50, 8, 0);
    fake.Set(0x51, 0x80, 1);
    fake.Set(0x50, 0x32, 1);
    fake.Set(0x50, 0x77, 0);  // bank 0 holds something else
    EXPECT_DOUBLE_EQ(field.Read(), 1 + 2 * 0x32);
    fake.Set(0x51, 0x7F, 1);
    EXPECT_DOUBLE_EQ(field.Read(), 2 * 0x32);
}

TEST_F(RegisterFieldTest, FullWidthFirstPartNeverTouchesPartTwo) {
    field.Define(8, 0, 0x20, 8, 0, 0, 0x21, 8, 0);
    fake.Set(0x20, 0xC8);
    fake.Set(0x21, 0x01);
    EXPECT_DOUBLE_EQ(field.Read(), 200.0);
    const std::vector<FakeChip::Transfer> data = fake.DataTransfers();
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].reg, 0x20);
}

TEST_F(RegisterFieldTest, EightBitWriteDoesNotReadTheRegister) {
    field.Define(8, 0, 0x2B, 8, 0, 0, 0, 0, 0);
    fake.Set(0x2B, 0xFF);
    field.Write(0x42);
    const std::vector<FakeChip::Transfer> data = fake.DataTransfers();
    ASSERT_EQ(data.size(), 1u);
    EXPECT_TRUE(data[0].write);
    EXPECT_EQ(data[0].value, 0x42);
}

TEST_F(RegisterFieldTest, NarrowPartKeepsTheOtherBitsOfItsRegister) {
    struct Case {
        uint8_t before;
        double value;
        uint8_t after;
    };
    const Case cases[] = {
        {0xAA, 1, 0x9A},    // 2 bits at bit 4: 10 -> 01
        {0x00, 3, 0x30},
        {0xFF, 0, 0xCF},
        {0xAA, 7, 0xBA},    // masked to two bits
        {0xAA, 2.9, 0xAA},  // truncated toward zero
    };
    field.Define(2, 0, 0x47, 2, 4, 0, 0, 0, 0);
    for (const Case& c : cases) {
        fake.Set(0x47, c.before);
        field.Write(c.value);
        EXPECT_EQ(fake.Get(0x47), c.after) << int(c.before) << " <- " << c.value;
    }
}

TEST_F(RegisterFieldTest, TwoPartWriteComposesBothBytesBeforeWriting) {
    field.Define(9, 1, 0x51, 1, 7, 1, 0x50, 8, 0);
    fake.Set(0x51, 0x15, 1);
    field.Write(101);
    EXPECT_EQ(fake.Get(0x51, 1), 0x95);
    EXPECT_EQ(fake.Get(0x50, 1), 50);
    const std::vector<FakeChip::Transfer> data = fake.DataTransfers();
    ASSERT_EQ(data.size(), 3u);
    EXPECT_FALSE(data[0].write);  // base of the narrow part
    EXPECT_EQ(data[0].reg, 0x51);
    EXPECT_TRUE(data[1].write);
    EXPECT_EQ(data[1].reg, 0x51);
    EXPECT_TRUE(data[2].write);
    EXPECT_EQ(data[2].reg, 0x50);
    EXPECT_EQ(data[2].bank, 1);
    EXPECT_DOUBLE_EQ(field.Read(), 101.0);
}

TEST_F(RegisterFieldTest, AbsentFieldsTouchNothing) {
    CRegisterField absent;
    absent.Attach(&chip);
    EXPECT_FALSE(absent.IsDefined());
    EXPECT_FALSE(absent.IsPresent());
    EXPECT_DOUBLE_EQ(absent.Read(), 0.0);
    absent.Write(12);
    absent.Define(0, 1, 0x50, 8, 0, 0, 0, 0, 0);  // defined with TotalBits 0
    EXPECT_TRUE(absent.IsDefined());
    EXPECT_DOUBLE_EQ(absent.Read(), 0.0);
    absent.Write(12);
    EXPECT_TRUE(fake.transfers.empty());
    EXPECT_EQ(lock.Acquires(), 0);

    CRegisterField noAddress;
    noAddress.Define(8, 0, 0, 8, 0, 0, 0, 0, 0);
    EXPECT_FALSE(noAddress.IsPresent());
    CRegisterField detached;
    detached.Define(8, 0, 0x20, 8, 0, 0, 0, 0, 0);
    EXPECT_TRUE(detached.IsPresent());
    EXPECT_DOUBLE_EQ(detached.Read(), 0.0);
    detached.Write(1);
    EXPECT_TRUE(fake.transfers.empty());
}

TEST_F(RegisterFieldTest, DamagedDescriptorWidthsStayWithinAByte) {
    field.Define(16, 0, 0x20, 12, 9, 0, 0x21, 200, 3);
    fake.Set(0x20, 0xFF);
    fake.Set(0x21, 0xFF);
    EXPECT_DOUBLE_EQ(field.Read(), 0x1F * 4096.0);  // part 1 shifted out entirely
    field.Write(-1);
    field.Write(1e300);
    EXPECT_EQ(fake.Get(0x20), 0x00);
}

}  // namespace
