// The shared as-found record: its strict file form, and who keeps, shares and
// consumes it. Two records on one base path stand for two processes: their
// flocks are on separate open files, which conflict exactly as across
// processes.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "platform/CAsFoundRecord.h"
#include "support/CTempDir.h"

namespace {

using Entry = CAsFoundRecord::Entry;
using Role = CAsFoundRecord::Role;

bool Same(const std::vector<Entry>& a, const std::vector<Entry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].bank != b[i].bank || a[i].reg != b[i].reg || a[i].mask != b[i].mask || a[i].value != b[i].value)
            return false;
    }
    return true;
}

TEST(AsFoundRecordTest, OnlyAWholeRecordIsRead) {
    const std::vector<Entry> entries = {{0, 0x4E, 0xFF, 0x80}, {0, 0x40, 0x02, 0x02}, {4, 0x53, 0x01, 0x00}};
    std::vector<Entry> read;
    ASSERT_TRUE(CAsFoundRecord::Parse(CAsFoundRecord::Format(entries), read));
    EXPECT_TRUE(Same(read, entries));

    const char* const broken[] = {
        "",
        "kelvane-asfound 1\n",                                  // cut before its end line
        "kelvane-asfound 1\n0 4e ff 80\n",                      // cut before its end line
        "kelvane-asfound 1\n0 4e ff 80\nend 2\n",               // count does not match
        "kelvane-asfound 2\nend 0\n",                           // another format
        "kelvane-asfound 1\n0 4e ff\nend 1\n",                  // short entry
        "kelvane-asfound 1\n0 4e ff 80 1\nend 1\n",             // long entry
        "kelvane-asfound 1\n9 4e ff 80\nend 1\n",               // no such bank
        "kelvane-asfound 1\n0 40 02 03\nend 1\n",               // value outside its mask
        "kelvane-asfound 1\n0 40 00 00\nend 1\n",               // empty mask
        "kelvane-asfound 1\n0 4G ff 80\nend 1\n",               // not hex
        "kelvane-asfound 1\n0 14e ff 80\nend 1\n",              // not a byte
        "kelvane-asfound 1\nend 0\ntrailing\n",                 // more after the end
    };
    for (const char* text : broken) {
        read = {{1, 2, 3, 3}};
        EXPECT_FALSE(CAsFoundRecord::Parse(text, read)) << text;
        EXPECT_TRUE(read.empty()) << text;
    }
}

class AsFoundRecordFilesTest : public ::testing::Test {
protected:
    std::string Base() const { return dir.File("Dravik_SM_Event"); }
    std::unique_ptr<CAsFoundRecord> Make() const { return std::make_unique<CAsFoundRecord>(Base()); }
    bool RecordOnDisk() const { return std::filesystem::exists(Base() + ".asfound"); }

    CTempDir dir;
};

TEST_F(AsFoundRecordFilesTest, ALaterDriverKeepsTheFirstDriversAsFoundValues) {
    auto first = Make();
    EXPECT_EQ(first->Join(), Role::kAlone);
    EXPECT_TRUE(first->Keep(0, 0x5B, 0xFF, 0xFF));  // the duty as the BIOS left it
    EXPECT_TRUE(RecordOnDisk());

    auto second = Make();
    EXPECT_EQ(second->Join(), Role::kJoined);
    // The second driver finds the first one's running duty: it must not
    // become the as-found value.
    EXPECT_TRUE(second->Keep(0, 0x5B, 0xFF, 0x32));
    // A register only the second one changes is kept by it, for both.
    EXPECT_TRUE(second->Keep(0, 0x40, 0x02, 0x02));
    EXPECT_TRUE(first->Keep(0, 0x40, 0x02, 0x00));

    EXPECT_FALSE(first->BeginLeave());  // another driver lives
    EXPECT_TRUE(RecordOnDisk());
    ASSERT_TRUE(second->BeginLeave());  // the last one out restores
    EXPECT_TRUE(Same(second->Entries(), {{0, 0x5B, 0xFF, 0xFF}, {0, 0x40, 0x02, 0x02}}));
    second->EndLeave();
    EXPECT_FALSE(RecordOnDisk());

    // The next driver starts afresh.
    auto third = Make();
    EXPECT_EQ(third->Join(), Role::kAlone);
    EXPECT_TRUE(third->Entries().empty());
}

TEST_F(AsFoundRecordFilesTest, ADriverThatDiedLeavesItsRecordToTheNextStart) {
    {
        auto dying = Make();
        dying->Join();
        dying->Keep(0, 0x5B, 0xFF, 0xFF);
        dying->Keep(0, 0x5B, 0x0F, 0x00);  // already kept: no change
        // Destroyed without leaving: its users lock goes, as the kernel
        // drops it when a process is killed.
    }
    auto next = Make();
    EXPECT_EQ(next->Join(), Role::kAfterCrash);
    EXPECT_TRUE(Same(next->Entries(), {{0, 0x5B, 0xFF, 0xFF}}));
    // The record stays the baseline: what the dead driver set is no as-found
    // value.
    next->Keep(0, 0x5B, 0xFF, 0x32);
    ASSERT_TRUE(next->BeginLeave());
    EXPECT_TRUE(Same(next->Entries(), {{0, 0x5B, 0xFF, 0xFF}}));
    next->EndLeave();
}

TEST_F(AsFoundRecordFilesTest, ARecordThatCannotBeTrustedIsNotUsed) {
    // A garbage record, and one that is a link to elsewhere, count as none.
    CTempDir::Write(Base() + ".asfound", "kelvane-asfound 1\n0 5b ff ff\n");
    auto record = Make();
    EXPECT_EQ(record->Join(), Role::kAlone);
    EXPECT_TRUE(record->Entries().empty());
    ASSERT_TRUE(record->BeginLeave());
    record->EndLeave();

    CTempDir::Write(dir.File("elsewhere"), CAsFoundRecord::Format({{0, 0x5B, 0xFF, 0x00}}));
    ASSERT_EQ(::symlink(dir.File("elsewhere").c_str(), (Base() + ".asfound").c_str()), 0);
    auto linked = Make();
    EXPECT_EQ(linked->Join(), Role::kAlone);
    EXPECT_TRUE(linked->Entries().empty());
}

TEST_F(AsFoundRecordFilesTest, DeferredEntriesGoToDiskTogetherAndYieldToAnEarlierDriver) {
    auto first = Make();
    EXPECT_EQ(first->Join(), Role::kAlone);
    first->Defer(0, 0x5B, 0xFF, 0xC0);
    first->Defer(0, 0x40, 0x02, 0x03);
    EXPECT_TRUE(first->IsPending(0x5B));
    EXPECT_TRUE(first->IsPending(0x40));
    EXPECT_FALSE(first->IsPending(0x57));
    EXPECT_FALSE(RecordOnDisk());

    // Another driver records 0x40 first: its value is the one found.
    auto second = Make();
    EXPECT_EQ(second->Join(), Role::kJoined);
    EXPECT_TRUE(second->Keep(0, 0x40, 0x02, 0x00));
    EXPECT_TRUE(first->Flush());
    EXPECT_FALSE(first->IsPending(0x5B));
    std::vector<Entry> onDisk;
    ASSERT_TRUE(CAsFoundRecord::Parse(CTempDir::Read(Base() + ".asfound"), onDisk));
    EXPECT_TRUE(Same(onDisk, {{0, 0x40, 0x02, 0x00}, {0, 0x5B, 0xFF, 0xC0}}));
    EXPECT_TRUE(first->Flush());  // nothing pending: no save

    // Deferred and never flushed, then killed: nothing of it was changed,
    // so nothing of it is restored.
    first->Defer(0, 0x57, 0xFF, 0x80);
    first.reset();
    ASSERT_TRUE(second->BeginLeave());
    EXPECT_TRUE(Same(second->Entries(), {{0, 0x40, 0x02, 0x00}, {0, 0x5B, 0xFF, 0xC0}}));
    second->EndLeave();
}

TEST_F(AsFoundRecordFilesTest, AFailedFlushKeepsItsEntriesPending) {
    const std::filesystem::path run = dir.File("run");
    std::filesystem::create_directory(run);
    CAsFoundRecord record((run / "Dravik_SM_Event").string());
    EXPECT_EQ(record.Join(), Role::kAlone);
    record.Defer(0, 0x5B, 0xFF, 0xC0);
    // Neither the mutex nor a temporary can be made in a directory gone.
    std::filesystem::rename(run, dir.File("gone"));
    EXPECT_FALSE(record.Flush());
    EXPECT_TRUE(record.IsPending(0x5B));
    EXPECT_EQ(record.Saves(), 0);
    std::filesystem::rename(dir.File("gone"), run);
    EXPECT_TRUE(record.Flush());
    EXPECT_FALSE(record.IsPending(0x5B));
    std::vector<Entry> onDisk;
    ASSERT_TRUE(CAsFoundRecord::Parse(CTempDir::Read(record.RecordPath()), onDisk));
    EXPECT_TRUE(Same(onDisk, {{0, 0x5B, 0xFF, 0xC0}}));
}

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

size_t FilesIn(const std::string& directory) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) count += entry.is_regular_file() ? 1 : 0;
    return count;
}

TEST_F(AsFoundRecordFilesTest, LaterSavesRewriteTheRecordInPlaceAndLeaveNoTemporaries) {
    auto record = Make();
    EXPECT_EQ(record->Join(), Role::kAlone);
    ASSERT_TRUE(record->Keep(0, 0x4E, 0xFF, 0x80));
    const ino_t inode = InodeOf(record->RecordPath());
    const size_t files = FilesIn(dir.Path());
    // Each save adds entries or bits: the text grows, the file stays.
    ASSERT_TRUE(record->Keep(0, 0x40, 0x02, 0x00));
    ASSERT_TRUE(record->Keep(0, 0x40, 0x04, 0x04));
    for (uint8_t reg = 0x80; reg < 0xC0; ++reg) ASSERT_TRUE(record->Keep(0, reg, 0xFF, reg));
    EXPECT_EQ(InodeOf(record->RecordPath()), inode);
    EXPECT_EQ(FilesIn(dir.Path()), files);
    EXPECT_EQ(record->Saves(), 3 + 0x40);
    std::vector<Entry> onDisk;
    ASSERT_TRUE(CAsFoundRecord::Parse(CTempDir::Read(record->RecordPath()), onDisk));
    ASSERT_EQ(onDisk.size(), 2u + 0x40);
    EXPECT_TRUE(Same({onDisk[0], onDisk[1]}, {{0, 0x4E, 0xFF, 0x80}, {0, 0x40, 0x06, 0x04}}));
}

TEST_F(AsFoundRecordFilesTest, ARecordThatCannotBeRewrittenInPlaceIsReplacedWhole) {
    struct Case {
        const char* what;
        // Prepares the record file of the driver, already joined and saved once.
        std::function<void(const std::string& record)> prepare;
        bool otherNameKeepsItsText;
    };
    const std::string other = dir.File("other");
    const std::vector<Case> cases = {
        {"longer garbage than the new text",
         [](const std::string& record) { CTempDir::Write(record, std::string(300, 'x')); }, false},
        {"a second name for the same file",
         [&](const std::string& record) { ASSERT_EQ(::link(record.c_str(), other.c_str()), 0); }, true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(other);
        auto record = Make();
        EXPECT_EQ(record->Join(), Role::kAlone) << c.what;
        ASSERT_TRUE(record->Keep(0, 0x4E, 0xFF, 0x80)) << c.what;
        const std::string before = CTempDir::Read(record->RecordPath());
        c.prepare(record->RecordPath());
        ASSERT_TRUE(record->Keep(0, 0x57, 0xFF, 0x80)) << c.what;
        std::vector<Entry> onDisk;
        ASSERT_TRUE(CAsFoundRecord::Parse(CTempDir::Read(record->RecordPath()), onDisk)) << c.what;
        EXPECT_FALSE(onDisk.empty()) << c.what;
        EXPECT_EQ(onDisk.back().reg, 0x57) << c.what;
        if (c.otherNameKeepsItsText) {
            EXPECT_EQ(CTempDir::Read(other), before) << c.what;
        }
        ASSERT_TRUE(record->BeginLeave()) << c.what;
        record->EndLeave();
    }
}

TEST(AsFoundRecordMemoryTest, WithoutABasePathTheRecordServesOneProcess) {
    CAsFoundRecord record("");
    EXPECT_EQ(record.Join(), Role::kAlone);
    EXPECT_TRUE(record.Keep(0, 0x5B, 0xFF, 0x80));
    EXPECT_TRUE(record.Keep(0, 0x5B, 0xF0, 0x00));
    ASSERT_TRUE(record.BeginLeave());
    EXPECT_TRUE(Same(record.Entries(), {{0, 0x5B, 0xFF, 0x80}}));
    record.EndLeave();
    EXPECT_FALSE(record.IsJoined());
}

}  // namespace
