#include "app/CMapiMailer.h"
#include "app/CProgramRunner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct RunCall {
    std::vector<std::string> argv;
    std::string input;
};

class RecordingRunner : public IProgramRunner {
public:
    int Run(const std::vector<std::string>& argv, std::string_view standardInput) override
    {
        calls.push_back({argv, std::string(standardInput)});
        if (results.empty())
            return 0;
        const int r = results.front();
        results.pop_front();
        return r;
    }
    std::vector<RunCall> calls;
    std::deque<int> results;
};

class MailerTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kelvane-mail-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Program(const std::string& name, const std::string& script, fs::perms perms)
    {
        const fs::path p = m_dir / name;
        std::ofstream(p) << script;
        fs::permissions(p, perms);
        return p.string();
    }
    std::string Slurp(const std::string& name) const
    {
        std::ifstream in(m_dir / name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
};

constexpr fs::perms kExecutable = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read;
constexpr fs::perms kNotExecutable = fs::perms::owner_read | fs::perms::owner_write;

// 2026-03-01 14:05:09 UTC
const auto kDate = std::chrono::system_clock::from_time_t(1772373909);

}  // namespace

TEST(MapiMailer, SplitsRecipientsAtEverySemicolonWithoutTrimming)
{
    const struct {
        const char* text;
        std::vector<std::string> recipients;
    } cases[] = {
        {"a@x.org", {"a@x.org"}},
        {"a@x.org;b@y.org", {"a@x.org", "b@y.org"}},
        {"a@x.org;", {"a@x.org", ""}},
        {"", {""}},
        {";", {"", ""}},
        {"a@x.org; b@y.org", {"a@x.org", " b@y.org"}},
        {"a;;b", {"a", "", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMapiMailer::SplitRecipients(c.text), c.recipients) << c.text;
}

TEST_F(MailerTree, LogonTellsMissingFromNotExecutableFromReady)
{
    RecordingRunner runner;
    const std::string missing = (m_dir / "none").string();
    const std::string plain = Program("plain", "#!/bin/sh\n", kNotExecutable);
    const std::string ready = Program("ready", "#!/bin/sh\n", kExecutable);
    const std::string directory = (m_dir / "sub").string();
    fs::create_directories(directory);

    EXPECT_EQ(CMapiMailer(runner, {missing}).Logon(), 2);
    EXPECT_EQ(CMapiMailer(runner, {}).Logon(), 2);
    EXPECT_EQ(CMapiMailer(runner, {plain}).Logon(), 1);
    EXPECT_EQ(CMapiMailer(runner, {directory}).Logon(), 1);
    EXPECT_EQ(CMapiMailer(runner, {ready}).Logon(), 0);
    // The first existing candidate is the program, executable or not.
    EXPECT_EQ(CMapiMailer(runner, {missing, ready}).GetProgramPath(), ready);
    EXPECT_EQ(CMapiMailer(runner, {plain, ready}).Logon(), 1);
}

TEST(MapiMailer, RefusesRecipientsThatAreEmptyOptionLikeOrHoldControlCharacters)
{
    RecordingRunner runner;
    CMapiMailer mailer(runner, {"/bin/sh"}, [] { return kDate; });
    EXPECT_FALSE(mailer.SendMail("", "a@x.org;-oQ/tmp/x;;b@y.org\nBcc: c@z.org;d@w.org\t; e@v.org;", "S", "B"));
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(runner.calls[0].argv, (std::vector<std::string>{"/bin/sh", "-i", "--", "a@x.org"}));
    EXPECT_EQ(runner.calls[1].argv, (std::vector<std::string>{"/bin/sh", "-i", "--", " e@v.org"}));

    runner.calls.clear();
    EXPECT_FALSE(mailer.SendMail("", "", "S", "B"));
    EXPECT_TRUE(runner.calls.empty());
}

TEST(MapiMailer, AFailingProgramFailsTheSendButTheOthersAreStillTried)
{
    RecordingRunner runner;
    runner.results = {0, 75, -1, 0};
    CMapiMailer mailer(runner, {"/bin/sh"}, [] { return kDate; });
    EXPECT_FALSE(mailer.SendMail("", "a;b;c;d", "S", "B"));
    EXPECT_EQ(runner.calls.size(), 4u);

    RecordingRunner none;
    CMapiMailer without(none, {"/nonexistent/sendmail"});
    EXPECT_FALSE(without.SendMail("", "a@x.org", "S", "B"));
    EXPECT_TRUE(none.calls.empty());
}

TEST(MapiMailer, MessageIsPlainTextWithOneLineHeaders)
{
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    RecordingRunner runner;
    CMapiMailer mailer(runner, {"/bin/sh"}, [] { return kDate; });
    ASSERT_TRUE(mailer.SendMail("", "ops@example.org", "Computer:HOST hardware monitor abnormal!",
                                "2026/03/01, 14:05:09,  Warning: VCore: 1.85V  "));
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(runner.calls[0].input,
              "To: ops@example.org\n"
              "Subject: Computer:HOST hardware monitor abnormal!\n"
              "Date: Sun, 01 Mar 2026 14:05:09 +0000\n"
              "MIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=UTF-8\n"
              "Content-Transfer-Encoding: 8bit\n"
              "\n"
              "2026/03/01, 14:05:09,  Warning: VCore: 1.85V  \n");

    // A subject or name cannot add header lines; text outside ASCII is encoded.
    const std::string injected =
        CMapiMailer::ComposeMessage("Ops \"Team\"\r\nBcc: x@y.org", "a@x.org", "Hi\r\nBcc: x@y.org", "l1\r\nl2\rl3", kDate);
    EXPECT_NE(injected.find("To: \"Ops \\\"Team\\\"  Bcc: x@y.org\" <a@x.org>\n"), std::string::npos) << injected;
    EXPECT_NE(injected.find("Subject: Hi  Bcc: x@y.org\n"), std::string::npos);
    EXPECT_EQ(injected.find("\nBcc:"), std::string::npos);
    EXPECT_NE(injected.find("\n\nl1\nl2\nl3\n"), std::string::npos);
    EXPECT_NE(CMapiMailer::ComposeMessage("", "a@x.org", "Übertemperatur", "", kDate)
                  .find("Subject: =?UTF-8?B?w5xiZXJ0ZW1wZXJhdHVy?=\n"),
              std::string::npos);
}

TEST_F(MailerTree, RealRunnerPipesTheMessageToTheProgram)
{
    const std::string out = m_dir.string();
    const std::string fake = Program("sendmail",
                                     "#!/bin/sh\n"
                                     "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" + out + "/argv'\n"
                                     "cat >> '" + out + "/stdin'\n"
                                     "case \"$3\" in fail*) exit 3;; esac\n",
                                     kExecutable);
    CProgramRunner runner;
    CMapiMailer mailer(runner, {fake}, [] { return kDate; });
    ASSERT_EQ(mailer.Logon(), 0);
    EXPECT_TRUE(mailer.SendMail("", "a@x.org;$(touch pwned) b", "Subj", "Body"));
    EXPECT_EQ(Slurp("argv"), "-i\n--\na@x.org\n-i\n--\n$(touch pwned) b\n");
    EXPECT_NE(Slurp("stdin").find("To: a@x.org\nSubject: Subj\n"), std::string::npos);
    EXPECT_NE(Slurp("stdin").find("\n\nBody\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(m_dir / "pwned"));
    EXPECT_FALSE(fs::exists("pwned"));

    EXPECT_FALSE(mailer.SendMail("", "fail@x.org", "S", "B"));
    EXPECT_EQ(runner.Run({(m_dir / "missing").string()}, "x"), -1);
}

TEST_F(MailerTree, RealRunnerSurvivesAProgramThatDoesNotReadItsInput)
{
    const std::string quitter = Program("quitter", "#!/bin/sh\nexit 0\n", kExecutable);
    CProgramRunner runner;
    EXPECT_EQ(runner.Run({quitter}, std::string(1 << 20, 'x')), 0);
}

TEST_F(MailerTree, AFailedSendNamesTheMailersOwnFirstErrorLine)
{
    const std::string fake = Program("sendmail",
                                     "#!/bin/sh\n"
                                     "cat > /dev/null\n"
                                     "echo 'msmtp: cannot connect to smtp.example.test, port 25' >&2\n"
                                     "echo 'msmtp: could not send mail' >&2\n"
                                     "exit 78\n",
                                     kExecutable);
    CProgramRunner runner;
    CMapiMailer mailer(runner, {fake}, [] { return kDate; });
    ASSERT_EQ(mailer.Logon(), 0);
    EXPECT_FALSE(mailer.SendMail("", "a@x.org", "Subj", "Body"));
    EXPECT_EQ(mailer.LastFailure(), "a@x.org: " + fake +
                                        " exited with status 78: msmtp: cannot connect to smtp.example.test, port 25");
}
