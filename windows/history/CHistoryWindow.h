// The history window: the chosen items over the last hour, 6 hours, day,
// week or 30 days, or a range of one's own, drawn from the history file on
// a real time axis with a value axis in each kind's unit. Aggregated data
// show their min/max band around the average; the item's limits are dashed
// lines and alarm episodes red spans. The pointer's time and the values
// there are read out under the chart. The wheel, a dragged rectangle and
// the keys + - Left Right Home zoom and pan; every zoom reads the history
// afresh at the resolution the new range needs.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "history/CHistoryStore.h"
#include "windows/IHistoryWindow.h"

class QAbstractButton;
class QButtonGroup;
class QChart;
class QDateTimeAxis;
class QDateTimeEdit;
class QLabel;
class QListWidget;
class QTimer;
class CHistoryChartView;

class CHistoryWindow : public QWidget, public IHistoryWindow {
    Q_OBJECT

public:
    enum class Span { kHour, kSixHours, kDay, kWeek, kMonth, kCustom };
    using WallClock = std::function<int64_t()>;

    // The points a line is drawn with: about two per pixel of a wide chart.
    static constexpr int kMaxPoints = 1600;

    // historyFile is opened read-only; now gives the wall clock in ms.
    CHistoryWindow(std::string historyFile, bool fahrenheit, WallClock now, QWidget* parent = nullptr);
    ~CHistoryWindow() override;
    // A window on the system clock, as a HistoryWindowFactory makes one.
    static std::unique_ptr<IHistoryWindow> Make(const std::string& historyFile, bool fahrenheit, std::string& error);

    QWidget& Widget() override { return *this; }
    // Re-reads the item list from the file.
    void Reload() override;
    // Checks exactly the items of these kinds (or keys), as the areas of
    // the main window ask for them.
    void ChooseKind(CReadingSnapshot::Kind kind) override;
    void ChooseItems(const std::vector<std::string>& keys);
    void ShowSpan(Span span);
    void ShowRange(int64_t fromMs, int64_t toMs);
    int64_t FromMs() const { return m_fromMs; }
    int64_t ToMs() const { return m_toMs; }
    // The series as drawn now (one per chosen item).
    const std::vector<CHistoryStore::SSeries>& Shown() const { return m_shown; }
    // The shown range and items as CSV; false when the file cannot be written.
    bool ExportCsv(const QString& path) const;
    // The readout for a time under the pointer.
    QString ReadoutAt(int64_t timeMs) const;
    QString ReadoutText() const;
    // Shows the readout of a time as the pointer there would.
    void ShowReadout(int64_t timeMs);
    bool IsHistoryOpen() const { return m_store.IsOpen(); }
    QChart* Chart() const { return m_chart; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildControls();
    void Redraw();
    void OnVisibleRangeChanged();
    void Zoom(double factor);
    void Pan(double fraction);
    void AskExport();

    std::string m_historyFile;
    bool m_fahrenheit;
    WallClock m_now;
    CHistoryStore m_store;
    std::vector<CHistoryStore::SItem> m_items;
    std::vector<CHistoryStore::SSeries> m_shown;
    std::vector<CHistoryStore::SEvent> m_events;
    int64_t m_fromMs = 0;
    int64_t m_toMs = 0;
    bool m_redrawing = false;

    QListWidget* m_itemList = nullptr;
    QButtonGroup* m_spans = nullptr;
    QDateTimeEdit* m_fromEdit = nullptr;
    QDateTimeEdit* m_toEdit = nullptr;
    QWidget* m_rangeBar = nullptr;
    CHistoryChartView* m_view = nullptr;
    QChart* m_chart = nullptr;
    QDateTimeAxis* m_timeAxis = nullptr;
    QLabel* m_readout = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_rereadTimer = nullptr;
};
