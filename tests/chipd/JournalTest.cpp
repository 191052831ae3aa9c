// The journal of values as found: on disk before the chip changes, and put
// back by the next service on the same chip, never on another.
#include <gtest/gtest.h>

#include "support/CTempDir.h"
#include "tests/chipd/CFakeRegisterBackend.h"
#include "tools/kelvane-chipd/CChipService.h"

using namespace ChipFrame;

namespace {

constexpr int kClient = 1;

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        chip.Set(0x4E, 0x80);
        chip.Set(0x2B, 0xFF);
        chip.Set(0x53, 0x3C, 1);
    }

    CTempDir dir;
    CJournalFile journal{dir.File("chipd.journal")};
    CFakeRegisterBackend chip;
};

}  // namespace

TEST_F(JournalTest, RecordsTheValueAsFoundBeforeTheWriteAndRestoresItAfterAKill) {
    {
        CChipService killed(chip, CRequestPolicy(false), &journal);
        ASSERT_TRUE(killed.Start());
        killed.Connect(kClient, {1, 1, CClientRegistry::Right::kControl});
        ASSERT_EQ(killed.Serve(kClient, WriteRequest({0, 0x2B}, 0x10)).status, kOk);
        ASSERT_EQ(killed.Serve(kClient, WriteRequest({0x81, 0x53}, 0x11)).status, kOk);
        std::string problem;
        const auto recorded = journal.Load(problem);
        ASSERT_TRUE(recorded) << problem;
        EXPECT_EQ(recorded->bank, 0x80);
        ASSERT_EQ(recorded->registers.size(), 2u);
        EXPECT_EQ(recorded->registers[1].address, (CRegisterAddress{1, 0x53}));
        EXPECT_EQ(recorded->registers[1].value, 0x3C);
        // Killed in the middle of a banked operation: neither RestoreAsFound
        // nor Disconnect runs, and bank 2 stays selected.
        chip.Set(0x4E, 0x02);
    }
    EXPECT_EQ(chip.Get(0x2B), 0x10);

    CChipService next(chip, CRequestPolicy(false), &journal);
    ASSERT_TRUE(next.Start());
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
    EXPECT_EQ(chip.Get(0x53, 1), 0x3C);
    EXPECT_EQ(chip.Get(0x4E), 0x80);
    EXPECT_EQ(next.RestingBank(), 0x80);
    EXPECT_NE(next.JournalReport().find("put back 2 of 2"), std::string::npos) << next.JournalReport();

    next.RestoreAsFound();
    std::string problem;
    EXPECT_FALSE(journal.Load(problem)) << "a clean stop leaves no journal";
}

TEST_F(JournalTest, IgnoresARecordOfAnotherChipOrOneNeverCompleted) {
    CJournalFile::CContent other{"ISA ports 0x295/0x296", 0x30, 0x80, {{{0, 0x2B}, 0x01}}};
    std::string problem;
    ASSERT_TRUE(journal.Save(other, problem)) << problem;
    CChipService service(chip, CRequestPolicy(false), &journal);
    ASSERT_TRUE(service.Start());
    EXPECT_EQ(chip.Get(0x2B), 0xFF);
    EXPECT_NE(service.JournalReport().find("another chip"), std::string::npos);

    std::string text = CJournalFile::Format({"fake chip", 0x30, 0x80, {{{0, 0x2B}, 0x01}}});
    CTempDir::Write(journal.Path(), text.substr(0, text.size() - 4));
    CChipService again(chip, CRequestPolicy(false), &journal);
    ASSERT_TRUE(again.Start());
    EXPECT_EQ(chip.Get(0x2B), 0xFF);

    const CJournalFile::CContent content{"fake chip", 0x30, 0x80, {{{0, 0x2B}, 0x01}, {{4, 0x59}, 0x7F}}};
    EXPECT_EQ(CJournalFile::Parse(CJournalFile::Format(content)), content);
    EXPECT_FALSE(CJournalFile::Parse("kelvane-chipd journal 1\nbackend x\nchip 0x30\nbank 0x80\nregister 0x09 0x50 0x01\nend\n"))
        << "bank 9";
}
