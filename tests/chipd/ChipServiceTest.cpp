// The service's operations on an in-memory chip: the vendor check before
// anything is served, atomic banked transfers, what is refused, and the
// writes of a client undone when it leaves.
#include <gtest/gtest.h>

#include "tests/chipd/CFakeRegisterBackend.h"
#include "tools/kelvane-chipd/CChipService.h"

using namespace ChipFrame;
using Transfer = CFakeRegisterBackend::CTransfer;
using Right = CClientRegistry::Right;

namespace {

constexpr int kDriver = 1;

CRequest Read(uint8_t bank, uint8_t reg) { return ReadRequest({bank, reg}); }

CRequest Write(uint8_t bank, uint8_t reg, uint8_t value) { return WriteRequest({bank, reg}, value); }

class ChipServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        chip.Set(0x4E, 0x80);
        chip.Set(0x2B, 0xFF);
        chip.Set(0x50, 0x28, 1);
        chip.Set(0x50, 0x46, 2);
        ASSERT_TRUE(service.Start());
        service.Connect(kDriver, {100, 1000, Right::kControl});
        chip.log.clear();
    }

    CFakeRegisterBackend chip;
    CRequestPolicy policy{false};
    CChipService service{chip, policy};
};

}  // namespace

TEST(ChipServiceStart, ServesOnlyAChipWithTheVendorValueAndLeavesTheBankAsFound) {
    CFakeRegisterBackend chip;
    chip.Set(0x4E, 0x82);
    CChipService service(chip, CRequestPolicy(false));
    ASSERT_TRUE(service.Start());
    EXPECT_EQ(service.ChipId(), 0x30);
    EXPECT_FALSE(service.AlternateId());
    EXPECT_EQ(chip.Get(0x4E), 0x82);
    service.Connect(kDriver, {100, 1000, Right::kControl});
    EXPECT_EQ(service.Serve(kDriver, CRequest{}).data, (std::vector<uint8_t>{0x30, 0x00, 0x82}));

    CFakeRegisterBackend other;
    other.SetVendor(false);
    CChipService refusing(other, CRequestPolicy(false));
    EXPECT_FALSE(refusing.Start());
    other.log.clear();
    for (const CRequest& request : {CRequest{}, Read(0, 0x20), Write(0, 0x2B, 1)}) {
        EXPECT_EQ(refusing.Serve(kDriver, request).status, kNoChip);
    }
    EXPECT_TRUE(other.log.empty());
}

TEST(ChipServiceStart, AcceptsTheAlternateVendorRegisters) {
    CFakeRegisterBackend chip;
    chip.SetVendor(false);
    chip.Set(0x4C, 0xA3);
    chip.Set(0x4D, 0x5C);
    CChipService service(chip, CRequestPolicy(false));
    ASSERT_TRUE(service.Start());
    EXPECT_TRUE(service.AlternateId());
    EXPECT_EQ(service.RestingBank(), 0x80);
}

TEST_F(ChipServiceTest, BankedReadSelectsTransfersAndRestoresInOneOperation) {
    const CResponse response = service.Serve(kDriver, Read(0x02, 0x50));
    EXPECT_EQ(response.status, kOk);
    EXPECT_EQ(response.data, std::vector<uint8_t>{0x46});
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{true, 0x4E, 0x02}, {false, 0x50, 0x46}, {true, 0x4E, 0x80}}));

    // A register that is the same in every bank needs no bank switch.
    chip.log.clear();
    EXPECT_EQ(service.Serve(kDriver, Read(0x02, 0x2B)).data, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{false, 0x2B, 0xFF}}));
}

TEST_F(ChipServiceTest, BatchSelectsEachBankOnceAndRestoresOnce) {
    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = {{0x01, 0x50}, {0x01, 0x51}, {0x00, 0x2B}, {0x02, 0x50}};
    const CResponse response = service.Serve(kDriver, batch);
    ASSERT_EQ(response.status, kOk);
    EXPECT_EQ(response.data, (std::vector<uint8_t>{0x28, 0x00, 0xFF, 0x46}));
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{true, 0x4E, 0x01},
                                               {false, 0x50, 0x28},
                                               {false, 0x51, 0x00},
                                               {false, 0x2B, 0xFF},
                                               {true, 0x4E, 0x02},
                                               {false, 0x50, 0x46},
                                               {true, 0x4E, 0x80}}));
}

TEST_F(ChipServiceTest, RefusesWhatWouldTakeTheChipOutOfItsHands) {
    struct Case {
        const char* what;
        CRequest request;
        Status expected;
    };
    const Case cases[] = {
        {"bank select", Write(0, 0x4E, 0x01), kRefusedRegister},
        {"vendor value", Write(0, 0x4F, 0x00), kRefusedRegister},
        {"identification", Write(0, 0x58, 0x00), kRefusedRegister},
        {"chip reset", Write(0, 0x40, 0x80), kRefusedRegister},
        {"bank byte with other bits (write)", Write(0x08, 0x2B, 0x10), kRefusedRegister},
        {"bank byte with other bits (read)", Read(0x10, 0x50), kRefusedRegister},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(service.Serve(kDriver, c.request).status, c.expected) << c.what;
    }
    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = {{0x00, 0x20}, {0x40, 0x50}};
    EXPECT_EQ(service.Serve(kDriver, batch).status, kRefusedRegister);
    EXPECT_TRUE(chip.log.empty());

    // Starting monitoring is an ordinary write.
    EXPECT_EQ(service.Serve(kDriver, Write(0, 0x40, 0x01)).status, kOk);
}

TEST_F(ChipServiceTest, SharedReadOnlyRefusesEveryWrite) {
    CChipService shared(chip, CRequestPolicy(true));
    ASSERT_TRUE(shared.Start());
    shared.Connect(kDriver, {100, 1000, Right::kControl});
    EXPECT_EQ(shared.Serve(kDriver, CRequest{}).data[1] & kFlagReadOnly, kFlagReadOnly);
    chip.log.clear();
    EXPECT_EQ(shared.Serve(kDriver, Write(0, 0x2B, 0x10)).status, kReadOnly);
    EXPECT_TRUE(chip.log.empty());
    EXPECT_EQ(shared.Serve(kDriver, Read(0, 0x2B)).status, kOk);
}

TEST_F(ChipServiceTest, WriteWhoseValueCannotBeRecordedIsNotMade) {
    service.Connect(1, {});
    chip.SetFailing(true);
    EXPECT_EQ(service.Serve(kDriver, Write(0, 0x2B, 0x10)).status, kTransferFailed);
    EXPECT_EQ(service.Serve(kDriver, Read(0, 0x2B)).status, kTransferFailed);
    chip.SetFailing(false);
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
    EXPECT_TRUE(service.Writes().Empty());
}

TEST_F(ChipServiceTest, AReaderReadsButNeverWrites) {
    constexpr int kReader = 2;
    service.Connect(kReader, {101, 1001, Right::kRead});
    EXPECT_EQ(service.Serve(kReader, CRequest{}).data[1] & kFlagReader, kFlagReader);
    EXPECT_EQ(service.Serve(kDriver, CRequest{}).data[1] & kFlagReader, 0);
    for (const CRequest& write : {Write(0, 0x2B, 0x10), Write(0, 0x40, 0x00), Write(0, 0x5B, 0x00)}) {
        EXPECT_EQ(service.Serve(kReader, write).status, kNoControl);
    }
    EXPECT_EQ(service.Serve(kReader, Read(0, 0x2B)).data, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{false, 0x2B, 0xFF}}));
    EXPECT_TRUE(service.Writes().Empty());
}

TEST(ChipServicePolicy, RefusesAddressesTheChipDoesNotHave) {
    struct Case {
        const char* what;
        uint8_t chipId;
        bool sevenBit;
        CRegisterAddress address;
        Status read;
    };
    const Case cases[] = {
        {"0xC0 behind ISA ports aliases 0x40", 0x30, true, {0, 0xC0}, kRefusedRegister},
        {"0xCF behind ISA ports aliases 0x4F", 0x30, true, {0, 0xCF}, kRefusedRegister},
        {"no register above 0x7F on the W83782D", 0x30, false, {0, 0xD8}, kRefusedRegister},
        {"the W83791D's temp2 over SMBus", 0x71, false, {0, 0xC0}, kOk},
        {"the W83791D cannot be reached so behind ISA ports", 0x71, true, {0, 0xC0}, kRefusedRegister},
        {"bank 3 of the W83782D", 0x30, false, {3, 0x50}, kRefusedRegister},
        {"bank 4 of the W83782D", 0x30, false, {0x84, 0x59}, kOk},
        {"bank 2 of the W83783S", 0x40, false, {2, 0x50}, kRefusedRegister},
        {"bank 4 of the W83781D", 0x10, false, {4, 0x59}, kRefusedRegister},
        {"an unbanked register ignores the bank", 0x10, false, {0, 0x27}, kOk},
    };
    for (const Case& c : cases) {
        CRequestPolicy policy(false, c.sevenBit);
        policy.SetChip(CChipRegisterMap::ForChip(c.chipId, false));
        EXPECT_EQ(policy.CheckRead(c.address), c.read) << c.what;
        EXPECT_EQ(policy.CheckWrite(c.address, 0x01), c.read) << c.what;
    }
}

TEST_F(ChipServiceTest, RefusesWritesThatStopMonitoringOrResetTheChip) {
    for (uint8_t value : {0x00, 0x08, 0x80, 0x81}) {
        EXPECT_EQ(service.Serve(kDriver, Write(0, 0x40, value)).status, kRefusedRegister) << int(value);
    }
    EXPECT_TRUE(chip.log.empty());
    EXPECT_EQ(service.Serve(kDriver, Write(0, 0x40, 0x09)).status, kOk);
}

TEST_F(ChipServiceTest, AClientsWritesAreUndoneWhenItGoesUnlessALaterWriterOwnsThem) {
    constexpr int kOther = 2;
    service.Connect(kOther, {101, 1001, Right::kControl});
    // Alone: its writes are undone.
    ASSERT_EQ(service.Serve(kDriver, Write(0, 0x2B, 0x10)).status, kOk);
    ASSERT_EQ(service.Serve(kDriver, Write(0x81, 0x50, 0x33)).status, kOk);
    ASSERT_EQ(service.Serve(kOther, Write(0, 0x2D, 0x44)).status, kOk);
    service.Disconnect(kDriver);
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
    EXPECT_EQ(chip.Get(0x50, 1), 0x28);
    EXPECT_EQ(chip.Get(0x2D), 0x44) << "another client's register";
    EXPECT_EQ(chip.Get(0x4E), 0x80);

    // The later writer owns the register; the earlier one's going leaves it.
    constexpr int kThird = 3;
    service.Connect(kThird, {102, 1002, Right::kControl});
    ASSERT_EQ(service.Serve(kOther, Write(0, 0x2B, 0x20)).status, kOk);
    ASSERT_EQ(service.Serve(kThird, Write(0, 0x2B, 0x30)).status, kOk);
    ASSERT_EQ(service.Serve(kThird, Write(0, 0x2F, 0x55)).status, kOk);
    service.Disconnect(kOther);
    EXPECT_EQ(chip.Get(0x2B), 0x30);
    EXPECT_EQ(chip.Get(0x2D), 0x00) << "as found";
    service.Disconnect(kThird);
    EXPECT_EQ(chip.Get(0x2B), 0xFF) << "as found once no writer is left";
    EXPECT_EQ(chip.Get(0x2F), 0x00);
    EXPECT_TRUE(service.Writes().Empty());

    // The going of the later writer gives the earlier one's value back.
    service.Connect(kDriver, {100, 1000, Right::kControl});
    service.Connect(kOther, {101, 1001, Right::kControl});
    ASSERT_EQ(service.Serve(kDriver, Write(0, 0x2B, 0x11)).status, kOk);
    ASSERT_EQ(service.Serve(kOther, Write(0, 0x2B, 0x22)).status, kOk);
    service.Disconnect(kOther);
    EXPECT_EQ(chip.Get(0x2B), 0x11);
    service.Disconnect(kDriver);
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
}
