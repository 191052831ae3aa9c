#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "FakeChip.h"
#include "engine/CAccessLibrary.h"
#include "engine/CMonitorChip.h"
#include "platform/CCountingChipLock.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CRecordingMessageBox.h"

namespace {

// Records whether the chip lock was held while a box was up.
class LockAwareMessageBox : public CRecordingMessageBox {
public:
    explicit LockAwareMessageBox(const CCountingChipLock& lock) : m_lock(lock) {}
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        if (m_lock.IsHeld()) ++shownWhileLocked;
        return CRecordingMessageBox::Show(text, caption, style);
    }
    int shownWhileLocked = 0;

private:
    const CCountingChipLock& m_lock;
};

class MonitorChipTest : public ::testing::Test {
protected:
    explicit MonitorChipTest(const std::string& omit = "") {
        fake.Install(loader, omit);
        library = std::make_unique<CAccessLibrary>(loader);
        chip.AttachLibrary(library.get());
        fake.onPortAccess = [this] {
            if (!lock.IsHeld()) ++accessesOutsideLock;
        };
    }

    FakeChip fake;
    CFakeLibraryLoader loader{"libWbcdflsh.so"};
    CCountingChipLock lock;
    LockAwareMessageBox box{lock};
    std::unique_ptr<CAccessLibrary> library;
    CMonitorChip chip{lock, box};
    int accessesOutsideLock = 0;
};

TEST_F(MonitorChipTest, ReadAndWriteGoThroughAddressAndDataPortUnderTheLock) {
    fake.Set(0x2B, 0x99);
    EXPECT_EQ(chip.ReadRegister(0x2B), 0x99);
    chip.WriteRegister(0x2C, 0x42);
    EXPECT_EQ(fake.Get(0x2C), 0x42);
    EXPECT_EQ(lock.Acquires(), 2);
    EXPECT_EQ(lock.Releases(), 2);
    EXPECT_EQ(lock.MaxDepth(), 1);
    EXPECT_EQ(accessesOutsideLock, 0);
}

TEST_F(MonitorChipTest, ReadRetriesEachPhaseWithinItsBudget) {
    struct Case {
        int addressFailures;
        int inPortFailures;
        uint8_t expected;
        int inPortCalls;
    };
    const Case cases[] = {
        {29, 0, 0x99, 1},   // the 30th address attempt succeeds
        {30, 0, 0x00, 0},   // the data phase is never tried
        {0, 9, 0x99, 10},   // the 10th data attempt succeeds
        {0, 10, 0x00, 10},  // gives up after ten
    };
    for (const Case& c : cases) {
        fake.Set(0x2B, 0x99);
        fake.addressFailures = c.addressFailures;
        fake.inPortFailures = c.inPortFailures;
        fake.inPortCalls = 0;
        fake.outPortCalls = 0;
        EXPECT_EQ(chip.ReadRegister(0x2B), c.expected) << c.addressFailures << "/" << c.inPortFailures;
        EXPECT_EQ(fake.inPortCalls, c.inPortCalls);
        EXPECT_EQ(fake.outPortCalls, std::min(c.addressFailures + 1, CMonitorChip::kAddressAttempts));
        EXPECT_FALSE(lock.IsHeld());
    }
    EXPECT_EQ(lock.Acquires(), lock.Releases());
    EXPECT_TRUE(box.ShownBoxes().empty()) << "bus errors are silent by default";
}

TEST_F(MonitorChipTest, WriteRetriesEachPhaseWithinItsBudget) {
    struct Case {
        int addressFailures;
        int dataFailures;
        bool written;
    };
    const Case cases[] = {{29, 0, true}, {30, 0, false}, {0, 29, true}, {0, 30, false}};
    for (const Case& c : cases) {
        fake.Set(0x2C, 0x00);
        fake.addressFailures = c.addressFailures;
        fake.dataWriteFailures = c.dataFailures;
        chip.WriteRegister(0x2C, 0x42);
        EXPECT_EQ(fake.Get(0x2C), c.written ? 0x42 : 0x00) << c.addressFailures << "/" << c.dataFailures;
        EXPECT_EQ(fake.dataWriteFailures, 0) << "no data phase after a failed address phase";
        EXPECT_FALSE(lock.IsHeld());
    }
}

TEST_F(MonitorChipTest, BusErrorBoxShowsTheLastErrorCodeAfterTheLockIsFreed) {
    chip.SetShowBusErrors(true);
    fake.failureCode = -5;
    fake.inPortFailures = 10;
    EXPECT_EQ(chip.ReadRegister(0x20), 0);
    fake.addressFailures = 30;
    chip.WriteRegister(0x20, 1);
    ASSERT_EQ(box.ShownBoxes().size(), 2u);
    for (const auto& shown : box.ShownBoxes()) {
        EXPECT_EQ(shown.text, "There are errors between SMBus and HWIC==>ErrNo -5");
        EXPECT_EQ(shown.caption, "");
        EXPECT_EQ(shown.style, MessageBoxStyle::kOk | MessageBoxStyle::kIconError);
    }
    EXPECT_EQ(box.shownWhileLocked, 0);
    EXPECT_EQ(chip.ReadRegister(0x20), 0);  // a good transfer shows nothing
    EXPECT_EQ(box.ShownBoxes().size(), 2u);
}

TEST_F(MonitorChipTest, SelectBankKeepsBit7OfTheBankRegister) {
    struct Case {
        uint8_t before;
        uint8_t bank;
        uint8_t after;
    };
    const Case cases[] = {{0x80, 2, 0x82}, {0x01, 2, 0x02}, {0x87, 0, 0x80}, {0x00, 4, 0x04}};
    for (const Case& c : cases) {
        fake.Set(0x4E, c.before);
        int acquires = lock.Acquires();
        chip.SelectBank(c.bank);
        EXPECT_EQ(fake.Get(0x4E), c.after) << int(c.before) << " bank " << int(c.bank);
        EXPECT_EQ(lock.Acquires() - acquires, 1) << "the read and the write of 0x4E are one critical section";
    }
    EXPECT_EQ(lock.MaxDepth(), 1);
}

TEST_F(MonitorChipTest, BankSelectionAndTransfersAreOneCriticalSection) {
    fake.Set(0x4E, 0x80);
    fake.Set(0x55, 0x21, 1);
    EXPECT_EQ(chip.ReadBankedRegister(1, 0x55), 0x21);
    chip.WriteBankedRegister(2, 0x56, 0x42);
    EXPECT_EQ(fake.Get(0x56, 2), 0x42);
    EXPECT_EQ(fake.Get(0x4E), 0x82);
    {
        CMonitorChip::LockHold outer(chip);
        chip.SelectBank(4);
        chip.WriteRegister(0x50, 0x33);
    }
    EXPECT_EQ(fake.Get(0x50, 4), 0x33);
    EXPECT_EQ(lock.Acquires(), 3);
    EXPECT_EQ(lock.Releases(), 3);
    EXPECT_EQ(lock.MaxDepth(), 1) << "nested holds take the lock once";
    EXPECT_EQ(accessesOutsideLock, 0);
}

// A lock file that cannot be used: transfers go ahead without exclusion.
class UnguardedChipLock : public IChipLock {
public:
    ChipLockResult Acquire() override { return ChipLockResult::kUnguarded; }
    void Release() override {}
};

TEST_F(MonitorChipTest, UnderTheHeldLockTheBankRegisterIsReadOnceAndAfterwardsAfresh) {
    fake.Set(0x4E, 0x80);
    fake.Set(0x55, 0x21, 1);
    fake.Set(0x55, 0x42, 2);
    const auto bankTransfers = [this](bool write) {
        int n = 0;
        for (const FakeChip::Transfer& t : fake.transfers) n += t.reg == 0x4E && t.write == write;
        return n;
    };
    {
        CMonitorChip::LockHold hold(chip);
        EXPECT_EQ(chip.ReadBankedRegister(1, 0x55), 0x21);
        EXPECT_EQ(chip.ReadBankedRegister(1, 0x55), 0x21);
        EXPECT_EQ(chip.ReadBankedRegister(2, 0x55), 0x42);
    }
    EXPECT_EQ(bankTransfers(false), 1);
    EXPECT_EQ(bankTransfers(true), 2) << "bank 1 selected once, then bank 2";
    EXPECT_EQ(fake.Get(0x4E), 0x82);

    // Whenever a peer may select another bank (the lock was freed, or there
    // is no lock to hold), 0x4E is read again before it is relied upon.
    struct Case {
        const char* name;
        bool guarded;
    };
    UnguardedChipLock noLock;
    CMonitorChip unguarded(noLock, box);
    unguarded.AttachLibrary(library.get());
    for (const Case& c : {Case{"lock freed in between", true}, Case{"no lock to hold", false}}) {
        SCOPED_TRACE(c.name);
        CMonitorChip& driver = c.guarded ? chip : unguarded;
        std::optional<CMonitorChip::LockHold> hold;
        hold.emplace(driver);
        EXPECT_EQ(driver.ReadBankedRegister(1, 0x55), 0x21);
        if (c.guarded) {
            hold.reset();
            hold.emplace(driver);
        }
        fake.Set(0x4E, 0x82);  // a peer's selection
        EXPECT_EQ(driver.ReadBankedRegister(1, 0x55), 0x21);
        EXPECT_EQ(fake.Get(0x4E), 0x81);
    }
}

TEST_F(MonitorChipTest, BoxesOfAHoldWaitUntilTheLockIsFree) {
    chip.SetShowBusErrors(true);
    fake.failureCode = -5;
    {
        CMonitorChip::LockHold hold(chip);
        fake.inPortFailures = 20;
        EXPECT_EQ(chip.ReadBankedRegister(1, 0x50), 0);
        EXPECT_TRUE(box.ShownBoxes().empty());
    }
    EXPECT_EQ(box.ShownBoxes().size(), 2u) << "the read of 0x4E and the read of 0x50 failed";
    EXPECT_EQ(box.shownWhileLocked, 0);
}

TEST_F(MonitorChipTest, BusyLockFailsTheTransferWithoutTouchingThePorts) {
    chip.SetShowBusErrors(true);
    lock.SetBusy(true);
    fake.Set(0x2B, 0x99);
    EXPECT_EQ(chip.ReadRegister(0x2B), 0);
    chip.WriteBankedRegister(1, 0x2B, 0x11);
    EXPECT_EQ(fake.Get(0x2B), 0x99);
    EXPECT_EQ(fake.inPortCalls + fake.outPortCalls, 0);
    EXPECT_EQ(lock.Releases(), 0);
    ASSERT_EQ(box.ShownBoxes().size(), 4u) << "the read, and SelectBank's read and write, and the write";
    EXPECT_EQ(box.ShownBoxes()[0].text, "There are errors between SMBus and HWIC==>ErrNo -1");

    lock.SetBusy(false);
    EXPECT_EQ(chip.ReadRegister(0x2B), 0x99) << "the next transfer tries the lock afresh";
}

TEST_F(MonitorChipTest, DetectsTheVendorAt4FWithBit7OfTheBankRegister) {
    fake.SetVendorAt4F(0x5CA3);
    fake.Set(0x58, 0x30);
    fake.Set(0x4E, 0x03);
    EXPECT_EQ(chip.ChipId(), CMonitorChip::kUnknownChipId);
    ASSERT_TRUE(chip.DetectChip());
    EXPECT_EQ(chip.ChipId(), 0x30);
    EXPECT_FALSE(chip.IsAlternateId());
    EXPECT_EQ(chip.PortBase(), 0x295);
    EXPECT_EQ(fake.Get(0x4E), 0x00) << "bank 0 with bit 7 cleared afterwards";
    EXPECT_EQ(fake.initialBusCalls, 1);
    EXPECT_STREQ(CMonitorChip::DescriptorFileForChipId(chip.ChipId()), "W83782D.ini");
}

TEST_F(MonitorChipTest, DetectsTheAlternateVendorAt4CAnd4D) {
    struct Case {
        uint8_t idIn4E;
        uint8_t chipId;
        const char* descriptor;
    };
    const Case cases[] = {{0x60, 0x61, "W83785R.ini"}, {0x21, 0x21, "W83627F.ini"}};
    for (const Case& c : cases) {
        FakeChip other;
        CFakeLibraryLoader otherLoader("libWbcdflsh.so");
        other.Install(otherLoader);
        CAccessLibrary otherLibrary(otherLoader);
        CMonitorChip alternate(lock, box);
        alternate.AttachLibrary(&otherLibrary);
        other.Set(0x4F, 0x12);
        other.Set(0x4C, 0xA3);
        other.Set(0x4D, 0x5C);
        other.SetReadOnly(0x4E, c.idIn4E);
        ASSERT_TRUE(alternate.DetectChip());
        EXPECT_TRUE(alternate.IsAlternateId());
        EXPECT_EQ(alternate.ChipId(), c.chipId);
        EXPECT_STREQ(CMonitorChip::DescriptorFileForChipId(alternate.ChipId()), c.descriptor);
    }
}

TEST_F(MonitorChipTest, DetectionFailuresKeepTheUnknownId) {
    fake.Set(0x58, 0x30);
    fake.Set(0x4C, 0xA3);
    fake.Set(0x4D, 0x5D);  // one bit off
    EXPECT_FALSE(chip.DetectChip());
    EXPECT_EQ(chip.ChipId(), CMonitorChip::kUnknownChipId);

    fake.SetVendorAt4F(0x5CA3);
    fake.initialBusResult = 1;
    fake.transfers.clear();
    EXPECT_FALSE(chip.DetectChip());
    EXPECT_TRUE(fake.transfers.empty()) << "no register traffic without bus initialisation";

    CMonitorChip detached(lock, box);
    EXPECT_FALSE(detached.DetectChip());
    EXPECT_EQ(detached.ReadRegister(0x58), 0);
}

TEST(MonitorChipDescriptorTest, EveryKnownIdHasItsDescriptorFile) {
    struct Case {
        uint8_t id;
        const char* file;
    };
    const Case cases[] = {
        {0x10, "W83781D_B.ini"}, {0x11, "W83781D_C.ini"}, {0x21, "W83627F.ini"},   {0x30, "W83782D.ini"},
        {0x40, "W83783S.ini"},   {0x50, "W83784R.ini"},   {0x51, "W83784R_B.ini"}, {0x60, "W83697F.ini"},
        {0x61, "W83785R.ini"},   {0x70, "W83791D_B.ini"}, {0x71, "W83791D_C.ini"}, {0x80, "W83637HF.ini"},
        {0x00, ""},              {0x31, ""},              {0xFF, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(CMonitorChip::DescriptorFileForChipId(c.id), c.file) << int(c.id);
}

class UnusableLibraryChipTest : public MonitorChipTest {
protected:
    UnusableLibraryChipTest() : MonitorChipTest("I2CBlockWrite") {}
};

TEST_F(UnusableLibraryChipTest, EveryTransferIsANoOp) {
    chip.SetShowBusErrors(true);
    fake.Set(0x20, 0x55);
    EXPECT_EQ(chip.ReadRegister(0x20), 0);
    chip.WriteRegister(0x20, 0x11);
    chip.SelectBank(1);
    EXPECT_FALSE(chip.DetectChip());
    EXPECT_EQ(fake.Get(0x20), 0x55);
    EXPECT_EQ(fake.inPortCalls + fake.outPortCalls + fake.initialBusCalls, 0);
    EXPECT_EQ(lock.Acquires(), 0);
    EXPECT_TRUE(box.ShownBoxes().empty());
}

}  // namespace
