// The history window comes from a module that the program loads when the
// window is first opened: what the built module makes, what a missing or
// foreign module says, that the program itself carries no charting library,
// and what the History buttons do when the window cannot be made.
#include <dlfcn.h>

#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/CDlLibraryLoader.h"
#include "platform/CFakeLibraryLoader.h"
#include "platform/CRecordingMessageBox.h"
#include "support/CTempDir.h"
#include "tests/windows/CChildProcess.h"
#include "windows/CHistoryButtons.h"
#include "windows/CHistoryWindowModule.h"
#include "windows/CUserPreferences.h"

namespace {

// Counts the loads it passes on.
class CCountingLoader : public ILibraryLoader {
public:
    explicit CCountingLoader(ILibraryLoader& inner) : m_inner(inner) {}
    void* Open(const std::string& name) override {
        ++opens;
        return m_inner.Open(name);
    }
    void* Symbol(void* handle, const char* name) override { return m_inner.Symbol(handle, name); }
    void Close(void* handle) override { m_inner.Close(handle); }
    int opens = 0;

private:
    ILibraryLoader& m_inner;
};

// The shared object an object's code lives in, found from its vtable.
std::string ObjectFileOf(const void* object) {
    Dl_info info{};
    const void* vtable = *static_cast<void* const*>(object);
    return ::dladdr(vtable, &info) != 0 && info.dli_fname ? info.dli_fname : "";
}

std::string DynamicSection(const std::string& file) {
    std::string text;
    if (std::FILE* pipe = ::popen(("readelf -d '" + file + "' 2>&1").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        ::pclose(pipe);
    }
    return text;
}

class CStubHistoryWindow : public IHistoryWindow {
public:
    QWidget& Widget() override { return m_widget; }
    void Reload() override { ++reloads; }
    void ChooseKind(CReadingSnapshot::Kind kind) override { chosen = kind; }
    int reloads = 0;
    std::optional<CReadingSnapshot::Kind> chosen;

private:
    QWidget m_widget;
};

IHistoryWindow* MakeStub(const char*, bool) { return new CStubHistoryWindow; }

}  // namespace

TEST(HistoryWindowModule, TheBuiltModuleMakesTheWindowOnFirstUseAndTheProgramCarriesNoChartLibrary)
{
    CTempDir dir;
    CDlLibraryLoader system(ProgramDirectoryPath());
    CCountingLoader loader(system);
    CHistoryWindowModule module(loader);
    EXPECT_EQ(loader.opens, 0);

    std::string error;
    std::unique_ptr<IHistoryWindow> window = module.Make(dir.File("history.db"), true, error);
    ASSERT_NE(window, nullptr) << error;
    EXPECT_TRUE(error.empty());
    EXPECT_TRUE(window->Widget().isWindow());
    EXPECT_FALSE(window->Widget().isVisible());
    // The window's code is the module's, not a copy linked into this test.
    EXPECT_NE(ObjectFileOf(window.get()).find(kHistoryWindowModule), std::string::npos) << ObjectFileOf(window.get());
    window->ChooseKind(CReadingSnapshot::Kind::kFan);
    window->Reload();

    // A second window comes from the module already loaded.
    std::unique_ptr<IHistoryWindow> second = module.Factory()(dir.File("history.db"), false, error);
    ASSERT_NE(second, nullptr) << error;
    EXPECT_EQ(loader.opens, 1);

    const std::string program = DynamicSection(ProgramDirectoryPath() + "/kelvane");
    ASSERT_NE(program.find("(NEEDED)"), std::string::npos) << program;
    EXPECT_NE(program.find("libQt6Widgets"), std::string::npos);
    EXPECT_EQ(program.find("libQt6Charts"), std::string::npos);
    EXPECT_EQ(program.find("libQt6OpenGL"), std::string::npos);
}

TEST(HistoryWindowModule, AMissingOrForeignModuleIsNamedAndLookedForAgainNextTime)
{
    CFakeLibraryLoader loader(kHistoryWindowModule);
    CHistoryWindowModule module(loader);
    std::string error;

    loader.SetLoadable(false);
    EXPECT_EQ(module.Make("history.db", false, error), nullptr);
    EXPECT_EQ(error, "The history window's module libkelvane-history-window.so cannot be loaded. "
                     "Reinstalling Kelvane puts it back.");

    // Loadable, but without this version's entry point: refused and closed.
    loader.SetLoadable(true);
    loader.AddSymbol("KelvaneMakeHistoryWindow0", &MakeStub);
    error.clear();
    EXPECT_EQ(module.Make("history.db", false, error), nullptr);
    EXPECT_NE(error.find("belongs to another Kelvane version"), std::string::npos) << error;
    EXPECT_EQ(loader.Closes(), 1);

    loader.AddSymbol(kHistoryWindowEntry, &MakeStub);
    error.clear();
    EXPECT_NE(module.Make("history.db", false, error), nullptr);
    EXPECT_NE(module.Make("history.db", false, error), nullptr);
    EXPECT_TRUE(error.empty());
    // Loaded twice (the fake counts loads that succeed): the foreign one and
    // this one, which the second window reuses.
    EXPECT_EQ(loader.Opens(), 2);
}

TEST(HistoryWindowModule, TheHistoryButtonsSayWhyTheWindowCannotBeMadeAndTryAgainWhenAskedAgain)
{
    QWidget face;
    CUserPreferences prefs;
    prefs.m_bCentigrade = true;
    CRecordingMessageBox box;
    bool available = false;
    std::string askedFile;
    bool askedFahrenheit = true;
    CStubHistoryWindow* made = nullptr;
    CHistoryButtons buttons(
        face, [] { return std::string("/data/history.db"); }, prefs,
        [&](const std::string& file, bool fahrenheit, std::string& error) -> std::unique_ptr<IHistoryWindow> {
            askedFile = file;
            askedFahrenheit = fahrenheit;
            if (!available) {
                error = "no module here";
                return nullptr;
            }
            auto window = std::make_unique<CStubHistoryWindow>();
            made = window.get();
            return window;
        },
        box);

    buttons.Button(1)->click();
    ASSERT_EQ(box.ShownBoxes().size(), 1u);
    EXPECT_EQ(box.ShownBoxes()[0].text, "no module here");
    EXPECT_EQ(box.ShownBoxes()[0].style, MessageBoxStyle::kOk | MessageBoxStyle::kIconError);
    EXPECT_EQ(buttons.Window(), nullptr);
    EXPECT_EQ(askedFile, "/data/history.db");
    EXPECT_FALSE(askedFahrenheit);

    available = true;
    buttons.Button(1)->click();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(buttons.Window(), made);
    EXPECT_EQ(made->chosen, CReadingSnapshot::Kind::kFan);
    EXPECT_TRUE(made->Widget().isVisible());
    EXPECT_EQ(made->reloads, 0);
    EXPECT_EQ(box.ShownBoxes().size(), 1u);

    // Opened again from the tray: the same window, read afresh, left on its kind.
    buttons.Open();
    EXPECT_EQ(buttons.Window(), made);
    EXPECT_EQ(made->reloads, 1);
    EXPECT_EQ(made->chosen, CReadingSnapshot::Kind::kFan);
}
