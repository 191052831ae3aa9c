#include "windows/CCaptionTranslator.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include "platform/CPrivateProfile.h"
#include "support/CTempDir.h"
#include "support/QtTestApplication.h"

namespace {

// The translation file is looked for in the current directory, so each test
// runs in a temporary one.
class CaptionTranslator : public ::testing::Test {
protected:
    static void SetUpTestSuite() { QtTestApplication(); }
    void SetUp() override
    {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.Path());
        m_window.setObjectName("102");
        m_window.setWindowTitle("Kelvane");
        Add<QPushButton>(1002, "Monitor Setting");
        Add<QPushButton>(1001, "Display Setting");
        Add<QPushButton>(1000, "Dravik Manager");
        Add<QLabel>(1047, "V");
        auto* group = new QGroupBox("Main Screen", &m_window);
        group->setObjectName("1150");
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    template <class Control>
    void Add(int id, const char* caption)
    {
        auto* control = new Control(caption, &m_window);
        control->setObjectName(QString::number(id));
    }
    std::string Caption(int id) const
    {
        const auto* control = m_window.findChild<QWidget*>(QString::number(id));
        return control ? CCaptionTranslator::Caption(*control) : CCaptionTranslator::Caption(m_window);
    }
    std::string Translate(const std::string& code, const std::vector<int>& ids)
    {
        return CCaptionTranslator(m_profile, code).TranslateCaptions(m_window, "Kelvane", ids);
    }

    CTempDir m_dir;
    std::filesystem::path m_previous;
    CPrivateProfile m_profile;
    QDialog m_window;
};

TEST_F(CaptionTranslator, GermanFileReplacesFoundCaptionsAndKeepsTheRest)
{
    CTempDir::Write(m_dir.File("kelvaneDEU.ini"),
                    "[Kelvane]\nMonitor Setting=Überwachung\nDisplay Setting=Anzeige\nV=Volt\n"
                    "Main Screen=Hauptanzeige\nKelvane=Kelvane Monitor\n"
                    "[Display Setting]\nDravik Manager=Falsche Sektion\n");
    const std::string used = Translate("DEU", {1002, 1001, 1000, 1047, 1150, 102});
    EXPECT_EQ(used, m_dir.Path() + "/kelvaneDEU.ini");
    EXPECT_EQ(Caption(1002), "Überwachung");
    EXPECT_EQ(Caption(1001), "Anzeige");
    EXPECT_EQ(Caption(1000), "Dravik Manager") << "no key in the window's own section";
    EXPECT_EQ(Caption(1047), "Volt");
    EXPECT_EQ(Caption(1150), "Hauptanzeige");
    EXPECT_EQ(m_window.windowTitle().toStdString(), "Kelvane Monitor");
}

TEST_F(CaptionTranslator, OnlyListedControlsChange)
{
    CTempDir::Write(m_dir.File("kelvaneDEU.ini"), "[Kelvane]\nMonitor Setting=Überwachung\nDisplay Setting=Anzeige\n");
    Translate("DEU", {1001, 4711});
    EXPECT_EQ(Caption(1002), "Monitor Setting");
    EXPECT_EQ(Caption(1001), "Anzeige");
}

TEST_F(CaptionTranslator, MissingFileChangesNothing)
{
    CTempDir::Write(m_dir.File("kelvane.ini"), "[Kelvane]\nMonitor Setting=Wrong\n");
    EXPECT_EQ(Translate("FRA", {1002}), "");
    EXPECT_EQ(Caption(1002), "Monitor Setting");
}

TEST_F(CaptionTranslator, EmptyLanguageCodeUsesKelvaneIni)
{
    CTempDir::Write(m_dir.File("kelvane.ini"), "[Kelvane]\nMonitor Setting=Monitor\n");
    EXPECT_EQ(Translate("", {1002}), m_dir.Path() + "/kelvane.ini");
    EXPECT_EQ(Caption(1002), "Monitor");
}

TEST_F(CaptionTranslator, LongTranslationIsCutAtAWholeCharacter)
{
    // 127 two-byte characters fill 254 bytes; the 128th would end at 256.
    std::string value;
    for (int i = 0; i < 130; ++i) value += "ü";
    CTempDir::Write(m_dir.File("kelvaneDEU.ini"), "[Kelvane]\nV=" + value + "\n");
    Translate("DEU", {1047});
    std::string expected;
    for (int i = 0; i < 127; ++i) expected += "ü";
    EXPECT_EQ(Caption(1047), expected);
}

}  // namespace
