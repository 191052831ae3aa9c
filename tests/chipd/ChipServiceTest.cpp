// The service's operations on an in-memory chip: the vendor check before
// anything is served, atomic banked transfers, what is refused, and the
// as-found record written back when the last client leaves.
#include <gtest/gtest.h>

#include "tests/chipd/CFakeRegisterBackend.h"
#include "tools/kelvane-chipd/CChipService.h"

using namespace ChipFrame;
using Transfer = CFakeRegisterBackend::CTransfer;

namespace {

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
    EXPECT_EQ(service.Serve(CRequest{}).data, (std::vector<uint8_t>{0x30, 0x00, 0x82}));

    CFakeRegisterBackend other;
    other.SetVendor(false);
    CChipService refusing(other, CRequestPolicy(false));
    EXPECT_FALSE(refusing.Start());
    other.log.clear();
    for (const CRequest& request : {CRequest{}, Read(0, 0x20), Write(0, 0x2B, 1)}) {
        EXPECT_EQ(refusing.Serve(request).status, kNoChip);
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
    const CResponse response = service.Serve(Read(0x02, 0x50));
    EXPECT_EQ(response.status, kOk);
    EXPECT_EQ(response.data, std::vector<uint8_t>{0x46});
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{true, 0x4E, 0x02}, {false, 0x50, 0x46}, {true, 0x4E, 0x80}}));

    // A register that is the same in every bank needs no bank switch.
    chip.log.clear();
    EXPECT_EQ(service.Serve(Read(0x02, 0x2B)).data, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(chip.log, (std::vector<Transfer>{{false, 0x2B, 0xFF}}));
}

TEST_F(ChipServiceTest, BatchSelectsEachBankOnceAndRestoresOnce) {
    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = {{0x01, 0x50}, {0x01, 0x51}, {0x00, 0x2B}, {0x02, 0x50}};
    const CResponse response = service.Serve(batch);
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
        EXPECT_EQ(service.Serve(c.request).status, c.expected) << c.what;
    }
    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = {{0x00, 0x20}, {0x40, 0x50}};
    EXPECT_EQ(service.Serve(batch).status, kRefusedRegister);
    EXPECT_TRUE(chip.log.empty());

    // Starting monitoring is an ordinary write.
    EXPECT_EQ(service.Serve(Write(0, 0x40, 0x01)).status, kOk);
}

TEST_F(ChipServiceTest, SharedReadOnlyRefusesEveryWrite) {
    CChipService shared(chip, CRequestPolicy(true));
    ASSERT_TRUE(shared.Start());
    EXPECT_EQ(shared.Serve(CRequest{}).data[1] & kFlagReadOnly, kFlagReadOnly);
    chip.log.clear();
    EXPECT_EQ(shared.Serve(Write(0, 0x2B, 0x10)).status, kReadOnly);
    EXPECT_TRUE(chip.log.empty());
    EXPECT_EQ(shared.Serve(Read(0, 0x2B)).status, kOk);
}

TEST_F(ChipServiceTest, LastClientLeavingRestoresTheChipAsFound) {
    service.Connect(10, {});
    service.Connect(11, {});
    ASSERT_EQ(service.Serve(Write(0, 0x2B, 0x10)).status, kOk);
    ASSERT_EQ(service.Serve(Write(0, 0x2B, 0x20)).status, kOk);
    ASSERT_EQ(service.Serve(Write(0x81, 0x50, 0x33)).status, kOk);
    EXPECT_EQ(chip.Get(0x50, 1), 0x33);
    EXPECT_EQ(chip.Get(0x4E), 0x80);

    service.Disconnect(10);
    EXPECT_EQ(chip.Get(0x2B), 0x20) << "another client still uses the chip";
    service.Disconnect(11);
    EXPECT_EQ(chip.Get(0x2B), 0xFF) << "the value before the first write";
    EXPECT_EQ(chip.Get(0x50, 1), 0x28);
    EXPECT_EQ(chip.Get(0x50, 2), 0x46);
    EXPECT_EQ(chip.Get(0x4E), 0x80);

    // The record starts afresh for the next clients.
    service.Connect(12, {});
    ASSERT_EQ(service.Serve(Write(0, 0x2B, 0x05)).status, kOk);
    chip.Set(0x2B, 0x06);
    service.Disconnect(12);
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
}

TEST_F(ChipServiceTest, WriteWhoseValueCannotBeRecordedIsNotMade) {
    service.Connect(1, {});
    chip.SetFailing(true);
    EXPECT_EQ(service.Serve(Write(0, 0x2B, 0x10)).status, kTransferFailed);
    EXPECT_EQ(service.Serve(Read(0, 0x2B)).status, kTransferFailed);
    chip.SetFailing(false);
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
    EXPECT_TRUE(service.Clients().AsFound().empty());
}
