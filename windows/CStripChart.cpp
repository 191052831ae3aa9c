#include "windows/CStripChart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

QRgb Pixel(Colorref colour)
{
    return ColorFromColorref(colour).rgb();
}

}  // namespace

CStripChart::CStripChart(QWidget* parent)
    : QWidget(parent)
{
    // The picture covers every pixel of the client area.
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

CStripChart::~CStripChart() = default;

bool CStripChart::Create(const SChartRect& rect, QWidget* parent, int id)
{
    if (parent != parentWidget())
        setParent(parent);
    setObjectName(QString::number(id));
    setProperty("controlId", id);
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    m_client = SChartRect{0, 0, std::max(0, width() - 2 * kEdge), std::max(0, height() - 2 * kEdge)};
    if (!DrawEmpty())
        return false;
    show();
    return true;
}

bool CStripChart::DrawEmpty()
{
    m_pending.clear();
    m_image = QImage();
    m_blank.reset();
    if (m_client.Width() <= 0 || m_client.Height() <= 0)
        return false;
    // The picture itself is made when it is first needed: a chart that is
    // never shown (the compact window's) holds no picture at all.
    m_blank = SBlank{Pixel(m_crBackground), Pixel(m_crGrid)};
    // The grid was drawn where the phase of a new chart puts it.
    m_nGridPhase = kInitialGridPhase;
    // Nothing drawn yet: the first point of a line starts a level segment.
    for (const auto& line : m_lines) {
        line->SetCurrentY(m_client.bottom + 1);
        line->SetPreviousY(m_client.bottom + 1);
    }
    update();
    return true;
}

void CStripChart::MakePicture() const
{
    if (!m_blank) return;
    m_image = QImage(m_client.Width(), m_client.Height(), QImage::Format_RGB32);
    if (m_image.isNull()) {
        // No memory for it now: the chart paints its background, and the
        // ticks wait for the next try.
        return;
    }
    StripChartPixels::DrawEmptyChart(m_image, m_client, m_blank->background, m_blank->grid);
    m_blank.reset();
}

void CStripChart::SetGridColour(Colorref colour)
{
    m_crGrid = colour;
    if (IsCreated())
        DrawEmpty();
}

int CStripChart::AddLine(const QString& name, Colorref colour, int width, int minimum, int maximum)
{
    m_lines.push_back(std::make_unique<CChartLine>(name, colour, width, minimum, maximum));
    m_lines.back()->SetCurrentY(m_client.bottom + 1);
    m_lines.back()->SetPreviousY(m_client.bottom + 1);
    return LineCount() - 1;
}

void CStripChart::AddPoint(int line, int value)
{
    if (CChartLine* chartLine = Line(line))
        chartLine->AddPoint(value);
}

CChartLine* CStripChart::Line(int index)
{
    if (index < 0 || index >= LineCount())
        return nullptr;
    return m_lines[static_cast<size_t>(index)].get();
}

void CStripChart::Scroll()
{
    if (!IsCreated())
        return;
    using namespace StripChartPixels;
    STick tick{m_nGridPhase, Pixel(m_crBackground), Pixel(m_crGrid), {}};
    m_nGridPhase = NextGridPhase(m_nGridPhase);
    const int notDrawn = m_client.bottom + 1;
    for (const auto& line : m_lines) {
        if (!line->IsVisible())
            continue;
        const bool hadPoints = line->HasPendingPoints();
        const int average = line->TakeAverage();
        // An average of 0 means no reading arrived; the line carries on level.
        if (hadPoints && average != 0)
            line->SetCurrentY(PointY(m_client, average, line->Span()));
        if (line->PreviousY() == notDrawn)
            line->SetPreviousY(line->CurrentY());
        tick.segments.push_back({line->PreviousY(), line->CurrentY(), Pixel(line->Colour())});
        line->SetPreviousY(line->CurrentY());
    }
    m_pending.push_back(std::move(tick));
    // Every tick fills the rightmost columns before it scrolls, so after a
    // width's worth of ticks nothing older shows: those are not kept.
    const std::size_t shown = static_cast<std::size_t>(m_client.Width() / kScrollStep + 2);
    while (m_pending.size() > shown)
        m_pending.pop_front();
    if (!isVisible())
        return;
    DrawPending();
    update();
}

void CStripChart::DrawPending() const
{
    using namespace StripChartPixels;
    MakePicture();
    if (m_image.isNull()) return;
    for (const STick& tick : m_pending) {
        ScrollChartImage(m_image, m_client, tick.gridPhase, tick.background, tick.grid);
        for (const SSegment& segment : tick.segments)
            DrawLine(m_image, m_client.right - kSegmentStart, segment.fromY, m_client.right - kSegmentEnd,
                     segment.toY, segment.colour);
    }
    m_pending.clear();
}

void CStripChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // A static edge: shadow above and to the left, light below and to the right.
    const QRect frame = rect();
    painter.setPen(QColor(0x10, 0x12, 0x16));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(QColor(0x5A, 0x60, 0x6A));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
    const QImage& picture = Image();
    if (picture.isNull()) {
        painter.fillRect(frame.adjusted(kEdge, kEdge, -kEdge, -kEdge), ColorFromColorref(m_crBackground));
        return;
    }
    painter.drawImage(kEdge, kEdge, picture);
    // The time scale: a short tick on the foot and its caption above it.
    QFont font = painter.font();
    font.setPixelSize(7);
    painter.setFont(font);
    const QColor ink(0xA9, 0xB4, 0xBF, 200);
    const int foot = kEdge + picture.height() - 1;
    for (const STimeMark& mark : TimeMarks()) {
        const int x = kEdge + mark.x;
        painter.setPen(ink);
        painter.drawLine(x, foot - 2, x, foot);
        const int width = painter.fontMetrics().horizontalAdvance(mark.text);
        const int left = std::clamp(x - width / 2, kEdge + 1, kEdge + picture.width() - width - 1);
        painter.drawText(QPoint(left, foot - 3), mark.text);
    }
}

void CStripChart::SetSecondsPerScroll(double seconds)
{
    m_secondsPerScroll = std::max(seconds, 0.0);
    update();
}

double CStripChart::LengthSeconds() const
{
    return IsCreated() ? m_secondsPerScroll * m_client.Width() / StripChartPixels::kScrollStep : 0.0;
}

QString CStripChart::LengthText(double seconds)
{
    if (seconds < 90.0) return QStringLiteral("%1 s").arg(static_cast<int>(std::lround(seconds)));
    const long halves = std::lround(seconds / 30.0);
    return QStringLiteral("%1%2 min").arg(halves / 2).arg(halves % 2 ? QStringLiteral("\u00BD") : QString());
}

std::vector<CStripChart::STimeMark> CStripChart::TimeMarks() const
{
    std::vector<STimeMark> marks;
    if (m_secondsPerScroll <= 0.0 || !IsCreated()) return marks;
    const int right = m_client.Width() - 1;
    const double pixelsPerMinute = 60.0 / m_secondsPerScroll * StripChartPixels::kScrollStep;
    marks.push_back({right, QStringLiteral("now")});
    // Minute marks that leave room for the length's caption at the left.
    for (int minute = 1;; ++minute) {
        const int x = right - static_cast<int>(std::lround(minute * pixelsPerMinute));
        if (x < 40) break;
        marks.push_back({x, QStringLiteral("\u2212%1 min").arg(minute)});
    }
    marks.push_back({0, LengthText(LengthSeconds())});
    return marks;
}
