// The main window's history: every tick recorded (alarms as events), the
// window that shows it opened from each area's History button and from the
// tray menu, and a history that cannot be written leaving the monitoring be.
#include "app/CKelvaneDlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QThread>

#include <filesystem>

#include "history/CHistoryStore.h"
#include "support/QtTestApplication.h"
#include "tests/app/CTestProgram.h"
#include "windows/history/CHistoryWindow.h"
#include "windows/CSystemTray.h"

namespace {

std::vector<CHistoryStore::SEvent> EventsIn(const std::string& path) {
    CHistoryStore store;
    std::string error;
    store.Open(path, CHistoryStore::Mode::kRead, error);
    return store.Events(0, INT64_MAX);
}

}  // namespace

TEST(MainWindowHistory, EveryTickIsRecordedAndTheHistoryOpensFromTheAreasAndTheTray) {
    QtTestApplication();
    CTestProgram program;
    auto window = program.MakeWindow();
    window->SetHistoryFile(program.File("history.db"));
    ASSERT_TRUE(window->InitDialog());
    // Ticks a few milliseconds apart, each a reading of its own time.
    const auto tick = [&] {
        window->OnTimer(CKelvaneDlg::kMonitorTimer);
        QThread::msleep(5);
    };
    for (int k = 0; k < 3; ++k) tick();
    ASSERT_NE(window->History(), nullptr);
    EXPECT_EQ(window->History()->GetState(), CHistoryWriter::State::kWriting);
    // The CPU temperature over its limit: an alarm event at the next tick.
    ASSERT_EQ(program.Simctl({"set", "TEMP2=95"}), 0);
    tick();
    std::vector<std::string> temp2;
    for (const auto& event : EventsIn(program.File("history.db")))
        if (event.item == "TEMP2") temp2.push_back(event.kind);
    EXPECT_EQ(temp2, std::vector<std::string>{"alarm"});

    EXPECT_FALSE(window->HistoryButton(CKelvaneDlg::Area::Fan)->isVisibleTo(window.get()));
    window->ShowDetail();
    ASSERT_TRUE(window->HistoryButton(CKelvaneDlg::Area::Fan)->isVisibleTo(window.get()));
    window->HistoryButton(CKelvaneDlg::Area::Fan)->click();
    auto* history = dynamic_cast<CHistoryWindow*>(window->HistoryWindow());
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    ASSERT_FALSE(history->Shown().empty());
    for (const auto& series : history->Shown()) {
        EXPECT_EQ(series.item.kind, CReadingSnapshot::Kind::kFan);
        int64_t readings = 0;
        for (const auto& point : series.points) readings += point.count;
        EXPECT_EQ(readings, 4);
    }
    history->hide();
    window->OnTrayCommand(CSystemTray::kHistory);
    EXPECT_EQ(window->HistoryWindow(), history);
    EXPECT_TRUE(history->isVisible());
}

TEST(MainWindowHistory, AHistoryThatCannotBeWrittenLeavesTheMonitoringBe) {
    QtTestApplication();
    CTestProgram program;
    std::filesystem::create_directory(program.File("history.db"));
    auto window = program.MakeWindow();
    window->SetHistoryFile(program.File("history.db"));
    ASSERT_TRUE(window->InitDialog());
    for (int tick = 0; tick < 3; ++tick) window->OnTimer(CKelvaneDlg::kMonitorTimer);
    EXPECT_EQ(window->History()->GetState(), CHistoryWriter::State::kOff);
    EXPECT_TRUE(window->IsMonitoring());
}
