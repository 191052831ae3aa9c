#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CMemoryPrivateProfile.h"
#include "platform/CPrivateProfile.h"
#include "platform/CProfileReadPass.h"
#include "platform/CProfileWritePass.h"
#include "support/CTempDir.h"

namespace {

// The same behaviour is required of the file store and of its in-memory
// double, so every semantic test runs on both.
class FileStore {
public:
    IPrivateProfile& Profile() { return m_profile; }
    std::string PathOf(const std::string& name) const { return m_dir.File(name); }
    void Put(const std::string& path, const std::string& text) { CTempDir::Write(path, text); }
    std::string Text(const std::string& path) const { return CTempDir::Read(path); }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

private:
    CTempDir m_dir;
    CPrivateProfile m_profile;
};

class MemoryStore {
public:
    IPrivateProfile& Profile() { return m_profile; }
    std::string PathOf(const std::string& name) const { return "/mem/" + name; }
    void Put(const std::string& path, const std::string& text) { m_profile.SetFile(path, text); }
    std::string Text(const std::string& path) const { return m_profile.FileText(path); }
    bool Exists(const std::string& path) const { return m_profile.HasFile(path); }

private:
    CMemoryPrivateProfile m_profile;
};

template <typename Store>
class PrivateProfileTest : public ::testing::Test {
protected:
    Store store;
};

using Stores = ::testing::Types<FileStore, MemoryStore>;
TYPED_TEST_SUITE(PrivateProfileTest, Stores);

const std::string kSample =
    "; board defaults\n"
    "[Volt1]\n"
    "HiLimit=350abc\n"
    "LoLimit = -120\n"
    "Plus=+15\n"
    "Empty=\n"
    "Word=abc\n"
    "Huge=99999999999\n"
    "HiLimit=999\n"
    "\n"
    "[ErrorRecord]\n"
    "2005/03/01 14:05:09 Warning:=VCore: 1.85V  \n"
    "[VOLT1]\n"
    "Other=7\n";

TYPED_TEST(PrivateProfileTest, IntegerReadsFollowTheProfileRules) {
    const std::string path = this->store.PathOf("def.ini");
    this->store.Put(path, kSample);
    struct Case {
        const char* section;
        const char* key;
        int expected;
    };
    const Case cases[] = {
        {"VOLT1", "hilimit", 350},       // leading digits, case-blind names, first duplicate wins
        {"volt1", "LoLimit", -120},      // blanks around "=" and a sign
        {"Volt1", "Plus", 15},           //
        {"Volt1", "Word", 0},            // no digits at all
        {"Volt1", "Huge", INT_MAX},      // saturates instead of overflowing
        {"Volt1", "Empty", 42},          // an empty value gives the default
        {"Volt1", "Missing", 42},        //
        {"NoSuchSection", "HiLimit", 42},
        {"volt1", "Other", 7},           // a later section of the same name is searched too
        {"Volt1", "Other", 7},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(this->store.Profile().GetInt(path, c.section, c.key, 42), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_EQ(this->store.Profile().GetInt(this->store.PathOf("none.ini"), "Volt1", "HiLimit", -3), -3);
}

TYPED_TEST(PrivateProfileTest, StringReadsAreCutToTheBuffer) {
    const std::string path = this->store.PathOf("error.txt");
    this->store.Put(path, kSample);
    const std::string key = "2005/03/01 14:05:09 Warning:";
    struct Case {
        const char* section;
        std::string key;
        std::size_t buffer;
        std::string expected;
    };
    const Case cases[] = {
        {"ErrorRecord", key, 256, "VCore: 1.85V  "},  // blanks and colons in the key; trailing blanks kept
        {"errorrecord", key, 6, "VCore"},            // n-byte buffer holds n-1 characters
        {"ErrorRecord", key, 1, ""},
        {"ErrorRecord", key, 0, ""},
        {"ErrorRecord", "Missing", 256, "dflt"},
        {"ErrorRecord", "Missing", 3, "df"},         // the default is cut as well
        {"Volt1", "Empty", 256, ""},                 // present but empty is not the default
    };
    for (const Case& c : cases) {
        EXPECT_EQ(this->store.Profile().GetString(path, c.section, c.key, "dflt", c.buffer), c.expected)
            << c.key << " buffer " << c.buffer;
    }
}

TYPED_TEST(PrivateProfileTest, WritesKeepEveryOtherLine) {
    const std::string path = this->store.PathOf("save.ini");
    this->store.Put(path,
                    "; keep me\n"
                    "[VOLT1]\n"
                    "Name = Vcore  \n"
                    "HiLimit=100\n"
                    "\n"
                    "[FAN1]\n"
                    "FanDivisor=2");  // no line break at the end
    IPrivateProfile& profile = this->store.Profile();
    ASSERT_TRUE(profile.WriteString(path, "volt1", "HILIMIT", "350"));  // replaced in place
    ASSERT_TRUE(profile.WriteString(path, "VOLT1", "LoLimit", "-12"));  // appended at the end of its section
    ASSERT_TRUE(profile.WriteString(path, "FAN1", "FanFactor", "1"));   // section at the end without a break
    ASSERT_TRUE(profile.WriteString(path, "TEMP1", "Enable", "1"));     // new section at the end
    EXPECT_EQ(this->store.Text(path),
              "; keep me\n"
              "[VOLT1]\n"
              "Name = Vcore  \n"
              "HiLimit=350\n"
              "LoLimit=-12\n"
              "\n"
              "[FAN1]\n"
              "FanDivisor=2\n"
              "FanFactor=1\n"
              "[TEMP1]\n"
              "Enable=1\n");
    EXPECT_EQ(profile.GetString(path, "VOLT1", "Name", ""), "Vcore  ");
}

TYPED_TEST(PrivateProfileTest, WritesFollowCrLfFilesAndCreateMissingFiles) {
    const std::string crlf = this->store.PathOf("crlf.ini");
    this->store.Put(crlf, "[A]\r\nx=1\r\n");
    ASSERT_TRUE(this->store.Profile().WriteString(crlf, "A", "y", "2"));
    ASSERT_TRUE(this->store.Profile().WriteString(crlf, "B", "z", "3"));
    EXPECT_EQ(this->store.Text(crlf), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    EXPECT_EQ(this->store.Profile().GetInt(crlf, "A", "x", 0), 1);

    const std::string bareCr = this->store.PathOf("bare-cr.ini");
    this->store.Put(bareCr, "[A]\r\nx=1\r");  // the last line has a CR but no LF
    EXPECT_EQ(this->store.Profile().GetString(bareCr, "A", "x", ""), "1");
    ASSERT_TRUE(this->store.Profile().WriteString(bareCr, "A", "y", "2"));
    EXPECT_EQ(this->store.Text(bareCr), "[A]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(this->store.Profile().GetInt(bareCr, "A", "x", 0), 1);

    const std::string fresh = this->store.PathOf("error.txt");
    ASSERT_FALSE(this->store.Exists(fresh));
    ASSERT_TRUE(this->store.Profile().WriteString(fresh, "ErrorRecord", "2005/03/01 14:05:09 Warning:", "VCore: 1.85V  "));
    EXPECT_EQ(this->store.Text(fresh), "[ErrorRecord]\n2005/03/01 14:05:09 Warning:=VCore: 1.85V  \n");
}

TYPED_TEST(PrivateProfileTest, RefusesWhatALineCannotHold) {
    const std::string path = this->store.PathOf("save.ini");
    this->store.Put(path, "[A]\nx=1\n");
    struct Case {
        const char* section;
        std::string key;
        std::string value;
    };
    const Case cases[] = {
        {"A", "x", "1\n[B]"},   // would inject a section
        {"A", "x", "1\r"},
        {"A", "a=b", "1"},      // the key would read back as "a"
        {"A]", "x", "1"},
        {"A", "", "1"},
        {"A", "x", std::string("1\0 2", 4)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(this->store.Profile().WriteString(path, c.section, c.key, c.value)) << c.key << c.value;
    }
    EXPECT_EQ(this->store.Text(path), "[A]\nx=1\n");
}

TYPED_TEST(PrivateProfileTest, HostileContentStaysInsideItsBuffers) {
    const std::string path = this->store.PathOf("hostile.ini");
    std::string text = "[A]\n";
    text += "long=" + std::string(1 << 20, '7') + "\n";  // a megabyte on one line
    text += std::string("nul=ab\0cd\n", 10);
    text += std::string("\0\0\0=x\n", 6);
    text += "[B\n";  // unterminated section name
    text += "k=v\n";
    text += "[C]\nlast=" + std::string(5000, 'z');  // no line break at the end
    this->store.Put(path, text);
    IPrivateProfile& profile = this->store.Profile();

    EXPECT_EQ(profile.GetString(path, "A", "long", "", 256), std::string(255, '7'));
    EXPECT_EQ(profile.GetInt(path, "A", "long", 0), INT_MAX);
    EXPECT_EQ(profile.GetString(path, "A", "nul", ""), "ab");
    EXPECT_EQ(profile.GetInt(path, "B", "k", 0), 0);  // "v" has no digits but the key is found under "[B"
    EXPECT_EQ(profile.GetString(path, "B", "k", "-"), "v");
    EXPECT_EQ(profile.GetString(path, "C", "last", "", 10), std::string(9, 'z'));

    ASSERT_TRUE(profile.WriteString(path, "C", "next", "1"));
    EXPECT_EQ(profile.GetString(path, "C", "last", "", 6000), std::string(5000, 'z'));
    EXPECT_EQ(profile.GetInt(path, "C", "next", 0), 1);
    EXPECT_EQ(this->store.Text(path).substr(0, text.size()), text);
}

TEST(PrivateProfileFileTest, CanOpenOnlyReadableFiles) {
    CTempDir dir;
    CPrivateProfile profile;
    CTempDir::Write(dir.File("W83782D.ini"), "[VOLT1]\n");
    EXPECT_TRUE(profile.CanOpen(dir.File("W83782D.ini")));
    EXPECT_FALSE(profile.CanOpen(dir.File("missing.ini")));
    // With an unknown chip the descriptor path is the directory itself.
    EXPECT_FALSE(profile.CanOpen(dir.Path() + "/"));
    EXPECT_FALSE(profile.CanOpen(dir.Path()));
}

TEST(PrivateProfileFileTest, NewContentIsCompleteBeforeTheRename) {
    CTempDir dir;
    const std::string path = dir.File("Root.ini");
    CTempDir::Write(path, "[User]\nCentigrade=1\n");
    std::vector<std::pair<std::string, std::string>> renames;
    CPrivateProfile profile([&](const std::string& from, const std::string& to) {
        renames.emplace_back(from, CTempDir::Read(from));
        EXPECT_EQ(std::filesystem::path(from).parent_path(), std::filesystem::path(to).parent_path());
        EXPECT_EQ(CTempDir::Read(to), "[User]\nCentigrade=1\n");  // old file untouched until now
        return std::rename(from.c_str(), to.c_str()) == 0;
    });
    ASSERT_TRUE(profile.WriteString(path, "User", "Centigrade", "0"));
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].second, "[User]\nCentigrade=0\n");
    EXPECT_EQ(CTempDir::Read(path), "[User]\nCentigrade=0\n");
}

TEST(PrivateProfileFileTest, FailedRenameLeavesTheOldFileAndNoLeftovers) {
    CTempDir dir;
    const std::string path = dir.File("Root.ini");
    CTempDir::Write(path, "[User]\nCentigrade=1\n");
    CPrivateProfile profile([](const std::string&, const std::string&) { return false; });
    EXPECT_FALSE(profile.WriteString(path, "User", "Centigrade", "0"));
    EXPECT_EQ(CTempDir::Read(path), "[User]\nCentigrade=1\n");
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST(PrivateProfileFileTest, WriteIntoMissingDirectoryFails) {
    CTempDir dir;
    CPrivateProfile profile;
    EXPECT_FALSE(profile.WriteString(dir.File("no/such/dir.ini"), "A", "x", "1"));
}

void SetModified(const std::string& path, time_t secondsAgo) {
    const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - secondsAgo, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(PrivateProfileFileTest, FifosDevicesAndDirectoriesAreNoProfilesAndNeverBlock) {
    CTempDir dir;
    const std::string fifo = dir.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string directory = dir.File("directory.ini");
    ASSERT_EQ(::mkdir(directory.c_str(), 0777), 0);
    CPrivateProfile profile;
    for (const std::string& path : {fifo, directory, std::string("/dev/null"), std::string("/dev/zero")}) {
        EXPECT_FALSE(profile.CanOpen(path)) << path;
        EXPECT_EQ(profile.GetInt(path, "A", "x", 7), 7) << path;
        EXPECT_EQ(profile.GetString(path, "A", "x", "none"), "none") << path;
    }
    EXPECT_FALSE(profile.WriteString(fifo, "A", "x", "1")) << "never replaced";
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(PrivateProfileFileTest, AKeptDocumentFollowsEveryChangeOfTheFile) {
    CTempDir dir;
    const std::string path = dir.File("def.ini");
    CPrivateProfile profile;
    CTempDir::Write(path, "[A]\nx=1\n");
    SetModified(path, 3600);
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 1);
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 1);

    // Rewritten in place with the same size and the same old time stamp:
    // only its change time tells.
    CTempDir::Write(path, "[A]\nx=2\n");
    SetModified(path, 3600);
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 2);

    const std::string other = dir.File("other.ini");
    CTempDir::Write(other, "[A]\nx=3\n");
    SetModified(other, 3600);
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 3);

    ASSERT_TRUE(profile.WriteString(path, "A", "x", "4"));
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 4);
    ::unlink(path.c_str());
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 0);
}

TEST(PrivateProfileFileTest, AReadPassOpensAFileOnceAndStillSeesItsOwnWrites) {
    CTempDir dir;
    const std::string path = dir.File("def.ini");
    const std::string missing = dir.File("save.ini");
    int opens = 0;
    CPrivateProfile profile({}, [&opens](const std::string& file, int flags) {
        ++opens;
        return ::open(file.c_str(), flags);
    });
    CTempDir::Write(path, "[A]\nx=1\ny=2\n");  // just written: no settled time stamp
    {
        const CProfileReadPass pass(profile);
        const CProfileReadPass nested(profile);
        EXPECT_TRUE(profile.CanOpen(path));
        EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 1);
        EXPECT_EQ(profile.GetString(path, "a", "Y", ""), "2");
        EXPECT_FALSE(profile.CanOpen(missing));
        EXPECT_EQ(profile.GetInt(missing, "A", "x", 9), 9);
        EXPECT_EQ(opens, 2);
        // Changed behind the store's back: the pass keeps the version it read.
        CTempDir::Write(path, "[A]\nx=5\n");
        EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 1);
        // A write through the store is seen at once, by a new read.
        ASSERT_TRUE(profile.WriteString(path, "A", "x", "3"));
        ASSERT_TRUE(profile.WriteString(missing, "A", "x", "4"));
        EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 3);
        EXPECT_EQ(profile.GetInt(missing, "A", "x", 0), 4);
    }
    // After the pass every read looks at the file again.
    CTempDir::Write(path, "[A]\nx=6\n");
    EXPECT_EQ(profile.GetInt(path, "A", "x", 0), 6);
    ::unlink(missing.c_str());
    EXPECT_FALSE(profile.CanOpen(missing));
}

TEST(PrivateProfileFileTest, AWritePassWritesEachFileOnceWithAllItsKeys) {
    CTempDir dir;
    const std::string root = dir.File("Root.ini");
    const std::string fresh = dir.File("save.ini");
    CTempDir::Write(root, "; mine\n[User]\nCentigrade=1\n");
    ::chmod(root.c_str(), 0600);
    std::vector<std::string> renamed;
    CPrivateProfile profile([&](const std::string& from, const std::string& to) {
        renamed.push_back(to);
        return std::rename(from.c_str(), to.c_str()) == 0;
    });
    {
        CProfileWritePass pass(profile);
        {
            CProfileWritePass nested(profile);
            ASSERT_TRUE(profile.WriteString(root, "User", "Centigrade", "0"));
            ASSERT_TRUE(profile.WriteString(root, "Volt", "count", "3"));
            ASSERT_TRUE(profile.WriteString(fresh, "Fan1", "Name", "CPU FAN"));
            EXPECT_FALSE(profile.WriteString(root, "bad]", "key", "1"));
        }
        ASSERT_TRUE(profile.WriteString(root, "User", "Centigrade", "1"));
        // Nothing on disk yet, and every read sees the writes.
        EXPECT_TRUE(renamed.empty());
        EXPECT_EQ(CTempDir::Read(root), "; mine\n[User]\nCentigrade=1\n");
        EXPECT_FALSE(std::filesystem::exists(fresh));
        EXPECT_TRUE(profile.CanOpen(fresh));
        EXPECT_EQ(profile.GetString(fresh, "Fan1", "Name", ""), "CPU FAN");
        EXPECT_EQ(profile.GetInt(root, "volt", "COUNT", 0), 3);
        EXPECT_TRUE(pass.End());
    }
    ASSERT_EQ(renamed.size(), 2u);
    EXPECT_EQ(CTempDir::Read(root), "; mine\n[User]\nCentigrade=1\n[Volt]\ncount=3\n");
    EXPECT_EQ(CTempDir::Read(fresh), "[Fan1]\nName=CPU FAN\n");
    struct stat st {};
    ASSERT_EQ(::stat(root.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // After the pass a write goes to disk at once again.
    ASSERT_TRUE(profile.WriteString(root, "User", "Centigrade", "0"));
    EXPECT_EQ(renamed.size(), 3u);
}

TEST(PrivateProfileFileTest, AWritePassThatCannotWriteAFileSaysSoAndLeavesItWhole) {
    CTempDir dir;
    const std::string root = dir.File("Root.ini");
    const std::string unreadable = dir.File("dir.ini");
    CTempDir::Write(root, "[User]\nCentigrade=1\n");
    std::filesystem::create_directory(unreadable);
    CPrivateProfile profile([](const std::string&, const std::string&) { return false; });
    CProfileWritePass pass(profile);
    // What cannot be kept is refused at once, as outside a pass.
    EXPECT_FALSE(profile.WriteString(unreadable, "A", "x", "1"));
    ASSERT_TRUE(profile.WriteString(root, "User", "Centigrade", "0"));
    EXPECT_FALSE(pass.End());
    EXPECT_EQ(CTempDir::Read(root), "[User]\nCentigrade=1\n");
    // The failed file is not kept as written.
    EXPECT_EQ(profile.GetInt(root, "User", "Centigrade", 9), 1);
}

TEST(PrivateProfileFileTest, AWriteRemovesOnlyStaleTemporariesOfItsOwnFile) {
    CTempDir dir;
    const std::string path = dir.File("save.ini");
    const struct {
        const char* name;
        time_t age;
        bool removed;
    } files[] = {
        {".save.ini.Ab3xYz", 3600, true},    // a crash's leftover
        {".save.ini.q1W2e3", 5, false},      // maybe a write in progress
        {".save.ini.bak", 3600, false},      // not a temporary name
        {".save.ini.Ab3-Yz", 3600, false},
        {".Root.ini.Ab3xYz", 3600, false},   // another file's
        {"save.ini.Ab3xYz", 3600, false},
    };
    for (const auto& f : files) {
        CTempDir::Write(dir.File(f.name), "x");
        SetModified(dir.File(f.name), f.age);
    }
    CPrivateProfile profile;
    ASSERT_TRUE(profile.WriteString(path, "User", "Centigrade", "1"));
    for (const auto& f : files) EXPECT_EQ(!std::filesystem::exists(dir.File(f.name)), f.removed) << f.name;
    EXPECT_EQ(CTempDir::Read(path), "[User]\nCentigrade=1\n");
}

}  // namespace
