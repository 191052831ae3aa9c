#include "windows/history/CHistoryWindow.h"

#include <QAreaSeries>
#include <QButtonGroup>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <exception>
#include <cmath>
#include <map>

#include "history/CHistoryExport.h"
#include "windows/history/CHistoryChartView.h"

namespace {

using Kind = CReadingSnapshot::Kind;
using Resolution = CHistoryStore::Resolution;

// The face's colours: near-black panels, grey-blue rules, the displays' green.
const QColor kWindowColour(0x10, 0x14, 0x19);
const QColor kPlotColour(0x08, 0x0B, 0x0E);
const QColor kRuleColour(0x25, 0x2E, 0x38);
const QColor kTextColour(0xC9, 0xD3, 0xDD);
const QColor kDimColour(0x7E, 0x8B, 0x98);
const QColor kAccentColour(0x3C, 0xE0, 0x7C);
const QColor kAlarmColour(0xFF, 0x3B, 0x3B);

// Line colours in the order of the strip charts: red, green, light blue,
// magenta, cyan, yellow, then two more for the longest lists.
const QColor kLineColours[] = {QColor(0xFF, 0x45, 0x45), QColor(0x3C, 0xE0, 0x7C), QColor(0x4D, 0x8D, 0xFF),
                               QColor(0xFF, 0x4D, 0xFF), QColor(0x4D, 0xF0, 0xFF), QColor(0xFF, 0xE1, 0x4D),
                               QColor(0xFF, 0x9F, 0x40), QColor(0xE8, 0xEE, 0xF4)};

// The area between two lines, filled with a see-through colour and without
// an outline; it owns both lines.
QAreaSeries* FilledArea(QLineSeries* upper, QLineSeries* lower, QColor fill, int alpha, const QString& name) {
    auto* area = new QAreaSeries(upper, lower);
    upper->setParent(area);
    lower->setParent(area);
    fill.setAlpha(alpha);
    area->setBrush(fill);
    area->setPen(Qt::NoPen);
    area->setObjectName(name);
    return area;
}

constexpr const char* kStyle =
    "QWidget { background: #101419; color: #c9d3dd; font-size: 12px; }"
    "QLabel#title { font-size: 15px; font-weight: 600; color: #e8eef4; letter-spacing: 1px; }"
    "QLabel#readout { font-family: monospace; color: #c9d3dd; padding: 2px 6px; }"
    "QLabel#status { color: #7e8b98; font-size: 11px; }"
    "QToolButton, QPushButton { background: #1a2028; border: 1px solid #2b3540; border-radius: 4px;"
    " padding: 4px 10px; color: #c9d3dd; }"
    "QToolButton:hover, QPushButton:hover { border-color: #3ce07c; }"
    "QToolButton:checked { background: #143222; border-color: #3ce07c; color: #3ce07c; }"
    "QListWidget { background: #0b0e12; border: 1px solid #252e38; border-radius: 4px; padding: 4px; }"
    "QListWidget::item { padding: 2px 2px; }"
    "QListWidget::item:selected { background: #18212b; color: #e8eef4; }"
    "QListWidget::indicator { width: 11px; height: 11px; border: 1px solid #3a4652; border-radius: 2px;"
    " background: #11161c; }"
    "QListWidget::indicator:checked { background: #3ce07c; border-color: #3ce07c; }"
    "QScrollBar:vertical { background: #0b0e12; width: 8px; margin: 0; }"
    "QScrollBar::handle:vertical { background: #2b3540; border-radius: 4px; min-height: 24px; }"
    "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
    "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"
    "QDateTimeEdit { background: #0b0e12; border: 1px solid #2b3540; border-radius: 4px; padding: 3px 6px; }";

int64_t KindGapMs(const CHistoryStore::SSeries& series) {
    const int64_t step = series.bucketMs > 0 ? series.bucketMs
                         : series.resolution == Resolution::kRaw ? 2500
                         : series.resolution == Resolution::kMinute ? CHistoryStore::kMinuteMs
                                                                    : CHistoryStore::kHourMs;
    // A reading or two may be late; more than that is a time the monitor did not run.
    return std::max<int64_t>(3 * step, 10000);
}

bool IsAggregate(const CHistoryStore::SSeries& series) {
    return series.resolution != Resolution::kRaw || series.bucketMs > 0;
}

QString SpanText(int64_t spanMs) {
    const double hours = static_cast<double>(spanMs) / CHistoryStore::kHourMs;
    if (spanMs < 2 * CHistoryStore::kMinuteMs) return QStringLiteral("%1 s").arg((spanMs + 500) / 1000);
    if (hours < 1.0) return QStringLiteral("%1 min").arg(std::max<int64_t>(spanMs / CHistoryStore::kMinuteMs, 1));
    const bool whole = std::fabs(hours - std::round(hours)) < 0.05;
    if (hours <= 48.0) return QStringLiteral("%1 h").arg(hours, 0, 'f', hours < 10 && !whole ? 1 : 0);
    return QStringLiteral("%1 days").arg(hours / 24.0, 0, 'f', 0);
}

QString ResolutionText(const CHistoryStore::SSeries& series) {
    if (series.resolution == Resolution::kRaw && series.bucketMs == 0) return QStringLiteral("every reading");
    const QString source = series.resolution == Resolution::kRaw      ? QStringLiteral("readings")
                           : series.resolution == Resolution::kMinute ? QStringLiteral("minute aggregates")
                                                                      : QStringLiteral("hour aggregates");
    if (series.bucketMs == 0) return source + QStringLiteral(", min/avg/max");
    return source + QStringLiteral(" in %1 buckets, min/avg/max").arg(SpanText(series.bucketMs));
}

}  // namespace

CHistoryWindow::CHistoryWindow(std::string historyFile, bool fahrenheit, WallClock now, QWidget* parent)
    : QWidget(parent, Qt::Window), m_historyFile(std::move(historyFile)), m_fahrenheit(fahrenheit), m_now(std::move(now)) {
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("Kelvane - History"));
    setStyleSheet(QString::fromLatin1(kStyle));
    resize(980, 600);
    BuildControls();
    Reload();
    m_toMs = m_now();
    m_fromMs = m_toMs - CHistoryStore::kDayMs;
    ShowSpan(Span::kDay);
}

CHistoryWindow::~CHistoryWindow() = default;

std::unique_ptr<IHistoryWindow> CHistoryWindow::Make(const std::string& historyFile, bool fahrenheit,
                                                     std::string& error) {
    try {
        return std::make_unique<CHistoryWindow>(historyFile, fahrenheit, [] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count());
        });
    } catch (const std::exception& failure) {
        error = std::string("The history window cannot be made: ") + failure.what();
        return nullptr;
    }
}

void CHistoryWindow::BuildControls() {
    auto* title = new QLabel(QStringLiteral("HISTORY"), this);
    title->setObjectName(QStringLiteral("title"));

    m_spans = new QButtonGroup(this);
    auto* spanRow = new QHBoxLayout;
    spanRow->setSpacing(4);
    const std::pair<const char*, Span> spans[] = {{"1 h", Span::kHour},  {"6 h", Span::kSixHours}, {"24 h", Span::kDay},
                                                  {"7 days", Span::kWeek}, {"30 days", Span::kMonth}, {"Range", Span::kCustom}};
    for (const auto& [text, span] : spans) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(text));
        button->setCheckable(true);
        button->setObjectName(QStringLiteral("span-") + QString::fromLatin1(text).remove(QLatin1Char(' ')));
        m_spans->addButton(button, static_cast<int>(span));
        spanRow->addWidget(button);
    }
    connect(m_spans, &QButtonGroup::idClicked, this, [this](int id) {
        const Span span = static_cast<Span>(id);
        m_rangeBar->setVisible(span == Span::kCustom);
        if (span != Span::kCustom) ShowSpan(span);
    });
    auto* exportButton = new QPushButton(QStringLiteral("Export CSV..."), this);
    exportButton->setObjectName(QStringLiteral("export"));
    connect(exportButton, &QPushButton::clicked, this, &CHistoryWindow::AskExport);

    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addSpacing(18);
    top->addLayout(spanRow);
    top->addStretch(1);
    top->addWidget(exportButton);

    m_rangeBar = new QWidget(this);
    auto* range = new QHBoxLayout(m_rangeBar);
    range->setContentsMargins(0, 0, 0, 0);
    m_fromEdit = new QDateTimeEdit(m_rangeBar);
    m_toEdit = new QDateTimeEdit(m_rangeBar);
    for (QDateTimeEdit* edit : {m_fromEdit, m_toEdit}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setCalendarPopup(true);
    }
    auto* apply = new QPushButton(QStringLiteral("Show"), m_rangeBar);
    connect(apply, &QPushButton::clicked, this, [this] {
        ShowRange(m_fromEdit->dateTime().toMSecsSinceEpoch(), m_toEdit->dateTime().toMSecsSinceEpoch());
    });
    range->addWidget(new QLabel(QStringLiteral("From"), m_rangeBar));
    range->addWidget(m_fromEdit);
    range->addWidget(new QLabel(QStringLiteral("to"), m_rangeBar));
    range->addWidget(m_toEdit);
    range->addWidget(apply);
    range->addStretch(1);
    m_rangeBar->hide();

    m_itemList = new QListWidget(this);
    m_itemList->setFixedWidth(200);
    m_itemList->setIconSize(QSize(10, 10));
    m_itemList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_itemList->setTextElideMode(Qt::ElideRight);
    m_itemList->setFocusPolicy(Qt::NoFocus);
    connect(m_itemList, &QListWidget::itemChanged, this, [this] {
        if (!m_redrawing) Redraw();
    });

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setBackgroundBrush(kWindowColour);
    m_chart->setBackgroundRoundness(0);
    m_chart->setPlotAreaBackgroundBrush(kPlotColour);
    m_chart->setPlotAreaBackgroundVisible(true);
    m_chart->setMargins(QMargins(4, 8, 4, 4));
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_view = new CHistoryChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chart"));
    m_view->setBackgroundBrush(kWindowColour);
    m_view->setFrameShape(QFrame::NoFrame);
    connect(m_view, &CHistoryChartView::pointerAt, this, [this](qint64 t) {
        m_readout->setText(t < 0 ? QString() : ReadoutAt(t));
    });
    connect(m_view, &CHistoryChartView::wheelZoom, this, [this](double factor, qint64 around) {
        const double span = static_cast<double>(m_toMs - m_fromMs) / factor;
        const double share = m_toMs > m_fromMs ? static_cast<double>(around - m_fromMs) / (m_toMs - m_fromMs) : 0.5;
        const int64_t from = around - static_cast<int64_t>(span * share);
        ShowRange(from, from + static_cast<int64_t>(span));
    });

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setMinimumHeight(22);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));

    m_rereadTimer = new QTimer(this);
    m_rereadTimer->setSingleShot(true);
    m_rereadTimer->setInterval(120);
    connect(m_rereadTimer, &QTimer::timeout, this, [this] {
        if (!m_timeAxis) return;
        ShowRange(m_timeAxis->min().toMSecsSinceEpoch(), m_timeAxis->max().toMSecsSinceEpoch());
    });

    auto* chartColumn = new QVBoxLayout;
    chartColumn->setSpacing(2);
    chartColumn->addWidget(m_view, 1);
    chartColumn->addWidget(m_readout);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_itemList);
    middle->addLayout(chartColumn, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 10);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addWidget(m_rangeBar);
    layout->addLayout(middle, 1);
    layout->addWidget(m_status);
}

void CHistoryWindow::Reload() {
    std::vector<std::string> checked;
    for (int i = 0; i < m_itemList->count(); ++i) {
        if (m_itemList->item(i)->checkState() == Qt::Checked)
            checked.push_back(m_itemList->item(i)->data(Qt::UserRole).toString().toStdString());
    }
    if (!m_store.IsOpen()) {
        std::string error;
        m_store.Open(m_historyFile, CHistoryStore::Mode::kRead, error);
    }
    m_items = m_store.Items();
    m_redrawing = true;
    m_itemList->clear();
    std::map<Kind, int> perKind;
    Kind lastKind = Kind::kVoltage;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const CHistoryStore::SItem& item = m_items[i];
        if (i == 0 || item.kind != lastKind) {
            auto* header = new QListWidgetItem(item.kind == Kind::kVoltage     ? QStringLiteral("VOLTAGES")
                                               : item.kind == Kind::kFan       ? QStringLiteral("FANS")
                                                                               : QStringLiteral("TEMPERATURES"),
                                               m_itemList);
            header->setFlags(Qt::NoItemFlags);
            header->setForeground(kDimColour);
            QFont font = header->font();
            font.setPointSizeF(font.pointSizeF() * 0.85);
            font.setBold(true);
            header->setFont(font);
            lastKind = item.kind;
        }
        const QColor colour = kLineColours[perKind[item.kind]++ % std::size(kLineColours)];
        auto* row = new QListWidgetItem(QString::fromStdString(item.name.empty() ? item.item : item.name), m_itemList);
        row->setData(Qt::UserRole, QString::fromStdString(item.item));
        row->setData(Qt::UserRole + 1, static_cast<qlonglong>(i));
        row->setData(Qt::UserRole + 2, colour);
        QPixmap swatch(10, 10);
        swatch.fill(Qt::transparent);
        {
            QPainter painter(&swatch);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawRoundedRect(QRectF(0.5, 3.0, 9.0, 4.0), 2.0, 2.0);
        }
        row->setIcon(QIcon(swatch));
        row->setToolTip(QString::fromStdString(item.chip + " " + item.item));
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        const bool wasChecked = std::find(checked.begin(), checked.end(), item.item) != checked.end();
        row->setCheckState(wasChecked ? Qt::Checked : Qt::Unchecked);
    }
    m_redrawing = false;
}

void CHistoryWindow::ChooseKind(Kind kind) {
    std::vector<std::string> keys;
    for (const CHistoryStore::SItem& item : m_items)
        if (item.kind == kind) keys.push_back(item.item);
    ChooseItems(keys);
}

void CHistoryWindow::ChooseItems(const std::vector<std::string>& keys) {
    m_redrawing = true;
    for (int i = 0; i < m_itemList->count(); ++i) {
        QListWidgetItem* row = m_itemList->item(i);
        if (!(row->flags() & Qt::ItemIsUserCheckable)) continue;
        const std::string key = row->data(Qt::UserRole).toString().toStdString();
        row->setCheckState(std::find(keys.begin(), keys.end(), key) != keys.end() ? Qt::Checked : Qt::Unchecked);
    }
    m_redrawing = false;
    Redraw();
}

void CHistoryWindow::ShowSpan(Span span) {
    int64_t length = CHistoryStore::kDayMs;
    switch (span) {
        case Span::kHour: length = CHistoryStore::kHourMs; break;
        case Span::kSixHours: length = 6 * CHistoryStore::kHourMs; break;
        case Span::kDay: length = CHistoryStore::kDayMs; break;
        case Span::kWeek: length = 7 * CHistoryStore::kDayMs; break;
        case Span::kMonth: length = 30 * CHistoryStore::kDayMs; break;
        case Span::kCustom: length = m_toMs - m_fromMs; break;
    }
    if (QAbstractButton* button = m_spans->button(static_cast<int>(span))) button->setChecked(true);
    m_rangeBar->setVisible(span == Span::kCustom);
    m_toMs = m_now();
    m_fromMs = m_toMs - length;
    Redraw();
}

void CHistoryWindow::ShowRange(int64_t fromMs, int64_t toMs) {
    // No closer than a minute: a few readings still make a line.
    if (toMs - fromMs < CHistoryStore::kMinuteMs) {
        const int64_t middle = fromMs / 2 + toMs / 2;
        fromMs = middle - CHistoryStore::kMinuteMs / 2;
        toMs = fromMs + CHistoryStore::kMinuteMs;
    }
    m_fromMs = fromMs;
    m_toMs = toMs;
    if (QAbstractButton* button = m_spans->button(static_cast<int>(Span::kCustom))) button->setChecked(true);
    Redraw();
}

void CHistoryWindow::Zoom(double factor) {
    const double middle = (static_cast<double>(m_fromMs) + static_cast<double>(m_toMs)) / 2.0;
    const double half = static_cast<double>(m_toMs - m_fromMs) / factor / 2.0;
    ShowRange(static_cast<int64_t>(middle - half), static_cast<int64_t>(middle + half));
}

void CHistoryWindow::Pan(double fraction) {
    const int64_t shift = static_cast<int64_t>(static_cast<double>(m_toMs - m_fromMs) * fraction);
    ShowRange(m_fromMs + shift, m_toMs + shift);
}

void CHistoryWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: Zoom(1.5); break;
        case Qt::Key_Minus: Zoom(1.0 / 1.5); break;
        case Qt::Key_Left: Pan(-0.25); break;
        case Qt::Key_Right: Pan(0.25); break;
        case Qt::Key_Home: ShowSpan(Span::kDay); break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void CHistoryWindow::OnVisibleRangeChanged() {
    if (!m_redrawing) m_rereadTimer->start();
}

void CHistoryWindow::Redraw() {
    m_redrawing = true;
    m_chart->removeAllSeries();
    for (QAbstractAxis* axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_timeAxis = nullptr;
    m_shown.clear();
    m_fromEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(m_fromMs));
    m_toEdit->setDateTime(QDateTime::fromMSecsSinceEpoch(m_toMs));

    const int64_t now = m_now();
    struct SDrawn {
        const CHistoryStore::SItem* item;
        QColor colour;
    };
    std::vector<SDrawn> drawn;
    for (int i = 0; i < m_itemList->count(); ++i) {
        const QListWidgetItem* row = m_itemList->item(i);
        if (!(row->flags() & Qt::ItemIsUserCheckable) || row->checkState() != Qt::Checked) continue;
        const auto index = static_cast<std::size_t>(row->data(Qt::UserRole + 1).toLongLong());
        if (index >= m_items.size()) continue;
        m_shown.push_back(m_store.Read(m_items[index], m_fromMs, m_toMs, now, kMaxPoints));
        drawn.push_back({&m_items[index], row->data(Qt::UserRole + 2).value<QColor>()});
    }
    m_events = m_store.Events(m_fromMs - CHistoryStore::kDayMs * 30, m_toMs);

    m_timeAxis = new QDateTimeAxis;
    const int64_t span = m_toMs - m_fromMs;
    m_timeAxis->setFormat(span <= CHistoryStore::kDayMs + CHistoryStore::kHourMs ? QStringLiteral("HH:mm")
                          : span <= 8 * CHistoryStore::kDayMs                   ? QStringLiteral("ddd HH:mm")
                                                                                : QStringLiteral("d MMM"));
    m_timeAxis->setTickCount(7);
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_fromMs), QDateTime::fromMSecsSinceEpoch(m_toMs));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);

    // One value axis per kind, in its unit; the first on the left.
    std::map<Kind, QValueAxis*> valueAxes;
    std::map<Kind, std::pair<double, double>> extent;
    const auto widen = [&](Kind kind, double value) {
        auto [it, fresh] = extent.try_emplace(kind, value, value);
        if (!fresh) it->second = {std::min(it->second.first, value), std::max(it->second.second, value)};
    };
    for (std::size_t s = 0; s < m_shown.size(); ++s) {
        const Kind kind = m_shown[s].item.kind;
        for (const CHistoryStore::SPoint& p : m_shown[s].points) {
            widen(kind, CHistoryExport::Shown(kind, p.min, m_fahrenheit));
            widen(kind, CHistoryExport::Shown(kind, p.max, m_fahrenheit));
        }
        for (const std::optional<double>& limit : {drawn[s].item->hi, drawn[s].item->lo})
            if (limit && !m_shown[s].points.empty()) widen(kind, CHistoryExport::Shown(kind, *limit, m_fahrenheit));
    }
    for (const auto& [kind, range] : extent) {
        auto* axis = new QValueAxis;
        const double pad = std::max((range.second - range.first) * 0.08, kind == Kind::kFan ? 50.0 : 0.05);
        axis->setRange(kind == Kind::kFan ? std::max(0.0, range.first - pad) : range.first - pad, range.second + pad);
        axis->applyNiceNumbers();
        axis->setTitleText(QString::fromStdString(CHistoryExport::UnitText(kind, m_fahrenheit)));
        axis->setLabelFormat(kind == Kind::kVoltage ? QStringLiteral("%.2f") : QStringLiteral("%.0f"));
        m_chart->addAxis(axis, valueAxes.empty() ? Qt::AlignLeft : Qt::AlignRight);
        valueAxes[kind] = axis;
    }
    for (QAbstractAxis* axis : m_chart->axes()) {
        axis->setLabelsColor(kDimColour);
        axis->setTitleBrush(kDimColour);
        axis->setGridLineColor(kRuleColour);
        axis->setLinePenColor(kRuleColour);
        axis->setMinorGridLineVisible(false);
        QFont font = axis->labelsFont();
        font.setPixelSize(11);
        axis->setLabelsFont(font);
    }

    const auto attach = [&](QAbstractSeries* series, Kind kind) {
        m_chart->addSeries(series);
        series->attachAxis(m_timeAxis);
        series->attachAxis(valueAxes[kind]);
    };
    for (std::size_t s = 0; s < m_shown.size(); ++s) {
        const CHistoryStore::SSeries& series = m_shown[s];
        const Kind kind = series.item.kind;
        const QColor colour = drawn[s].colour;
        QValueAxis* axis = valueAxes.count(kind) ? valueAxes[kind] : nullptr;
        if (!axis) continue;

        // Alarm episodes of the item: red spans behind its line.
        int64_t alarmSince = -1;
        const auto markAlarm = [&](int64_t from, int64_t to) {
            from = std::max(from, m_fromMs);
            to = std::min(to, m_toMs);
            if (to <= from) return;
            auto* upper = new QLineSeries;
            auto* lower = new QLineSeries;
            upper->append(from, axis->max());
            upper->append(to, axis->max());
            lower->append(from, axis->min());
            lower->append(to, axis->min());
            attach(FilledArea(upper, lower, kAlarmColour, 38, QStringLiteral("alarm")), kind);
        };
        for (const CHistoryStore::SEvent& e : m_events) {
            if (e.chip != series.item.chip || e.item != series.item.item) continue;
            if (e.kind == "alarm" && alarmSince < 0) alarmSince = e.timeMs;
            if (e.kind == "normal" && alarmSince >= 0) {
                markAlarm(alarmSince, e.timeMs);
                alarmSince = -1;
            }
        }
        if (alarmSince >= 0) markAlarm(alarmSince, std::min(now, m_toMs));

        // The line, broken where the monitor did not run, and its band.
        const int64_t gap = KindGapMs(series);
        std::size_t start = 0;
        while (start < series.points.size()) {
            std::size_t end = start + 1;
            while (end < series.points.size() && series.points[end].timeMs - series.points[end - 1].timeMs <= gap) ++end;
            auto* line = new QLineSeries;
            line->setPen(QPen(colour, 1.6));
            if (IsAggregate(series)) {
                auto* upper = new QLineSeries;
                auto* lower = new QLineSeries;
                for (std::size_t k = start; k < end; ++k) {
                    const auto& p = series.points[k];
                    upper->append(static_cast<qreal>(p.timeMs), CHistoryExport::Shown(kind, p.max, m_fahrenheit));
                    lower->append(static_cast<qreal>(p.timeMs), CHistoryExport::Shown(kind, p.min, m_fahrenheit));
                }
                attach(FilledArea(upper, lower, colour, 48, QStringLiteral("band")), kind);
            }
            QList<QPointF> points;
            points.reserve(static_cast<qsizetype>(end - start));
            for (std::size_t k = start; k < end; ++k) {
                const auto& p = series.points[k];
                points.append(QPointF(static_cast<qreal>(p.timeMs), CHistoryExport::Shown(kind, p.avg, m_fahrenheit)));
            }
            line->replace(points);
            line->setObjectName(QStringLiteral("line"));
            attach(line, kind);
            start = end;
        }

        // Limits as dashed lines across the range.
        for (const std::optional<double>& limit : {series.item.hi, series.item.lo}) {
            if (!limit || series.points.empty()) continue;
            auto* line = new QLineSeries;
            const double value = CHistoryExport::Shown(kind, *limit, m_fahrenheit);
            line->append(static_cast<qreal>(m_fromMs), value);
            line->append(static_cast<qreal>(m_toMs), value);
            QColor pen = colour;
            pen.setAlpha(150);
            line->setPen(QPen(pen, 1.0, Qt::DashLine));
            line->setObjectName(QStringLiteral("limit"));
            attach(line, kind);
        }
    }
    connect(m_timeAxis, &QDateTimeAxis::rangeChanged, this, &CHistoryWindow::OnVisibleRangeChanged);

    std::size_t points = 0;
    for (const auto& s : m_shown) points += s.points.size();
    QString status;
    if (!m_store.IsOpen()) {
        status = QStringLiteral("No history recorded yet (%1).").arg(QString::fromStdString(m_historyFile));
    } else if (m_shown.empty()) {
        status = QStringLiteral("Choose items on the left.");
    } else {
        status = QStringLiteral("%1 shown  \u00B7  %2  \u00B7  %3 points  \u00B7  wheel or drag to zoom, \u2190 \u2192 to pan, Home for 24 h")
                     .arg(SpanText(m_toMs - m_fromMs), ResolutionText(m_shown.front()))
                     .arg(points);
    }
    m_status->setText(status);
    m_redrawing = false;
}

QString CHistoryWindow::ReadoutAt(int64_t timeMs) const {
    QStringList parts{QDateTime::fromMSecsSinceEpoch(timeMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    for (const CHistoryStore::SSeries& series : m_shown) {
        if (series.points.empty()) continue;
        const auto after = std::lower_bound(series.points.begin(), series.points.end(), timeMs,
                                            [](const CHistoryStore::SPoint& p, int64_t t) { return p.timeMs < t; });
        auto nearest = after == series.points.end() ? after - 1 : after;
        if (after != series.points.begin() && after != series.points.end() &&
            timeMs - (after - 1)->timeMs < after->timeMs - timeMs)
            nearest = after - 1;
        // Nothing to read out across a gap.
        if (std::llabs(nearest->timeMs - timeMs) > KindGapMs(series)) continue;
        const Kind kind = series.item.kind;
        const int decimals = kind == Kind::kVoltage ? 3 : kind == Kind::kFan ? 0 : 1;
        const auto text = [&](double v) { return QString::number(CHistoryExport::Shown(kind, v, m_fahrenheit), 'f', decimals); };
        QString part = QString::fromStdString(series.item.name) + QLatin1Char(' ') + text(nearest->avg) + QLatin1Char(' ') +
                       QString::fromStdString(CHistoryExport::UnitText(kind, m_fahrenheit));
        if (IsAggregate(series)) part += QStringLiteral(" (%1\u2013%2)").arg(text(nearest->min), text(nearest->max));
        parts << part;
    }
    return parts.join(QStringLiteral("   "));
}

QString CHistoryWindow::ReadoutText() const { return m_readout->text(); }

void CHistoryWindow::ShowReadout(int64_t timeMs) { m_readout->setText(ReadoutAt(timeMs)); }

bool CHistoryWindow::ExportCsv(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const std::string text = CHistoryExport::Csv(m_shown, m_fahrenheit);
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.commit();
}

void CHistoryWindow::AskExport() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export the shown history"),
                                                      QStringLiteral("kelvane-history.csv"), QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty() && !ExportCsv(path)) m_status->setText(QStringLiteral("The file could not be written: ") + path);
}
