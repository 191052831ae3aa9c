// A scrolling strip chart: a child control that keeps its picture in a memory
// image of its client size and, once per monitoring tick, moves it 3 pixels to
// the left and draws the newest segment of every visible line. Painting only
// copies the memory image inside a thin sunken edge. A chart nobody can see
// (its panel hidden) keeps its ticks' segments instead, as many as the width
// still shows, and draws them when it is next painted or its image read.
#pragma once

#include "skin/SkinColour.h"
#include "windows/CChartLine.h"
#include "windows/StripChartPixels.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

class CStripChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 5469;
    // The sunken edge around the client area.
    static constexpr int kEdge = 1;
    static constexpr int kInitialGridPhase = 13;

    explicit CStripChart(QWidget* parent = nullptr);
    ~CStripChart() override;

    // Places the chart at rect (window coordinates of its parent, right and
    // bottom exclusive), takes its client rectangle and starts an empty chart.
    // False when the client area is empty; nothing is drawn then.
    bool Create(const SChartRect& rect, QWidget* parent, int id);
    bool IsCreated() const { return m_blank || !m_image.isNull(); }
    // Whether the picture is made yet (it is made when first painted or
    // asked for).
    bool HasPicture() const { return !m_image.isNull(); }

    void SetBackgroundColour(Colorref colour) { m_crBackground = colour; }
    Colorref BackgroundColour() const { return m_crBackground; }
    // Stores the colour and draws the empty chart afresh.
    void SetGridColour(Colorref colour);
    Colorref GridColour() const { return m_crGrid; }

    // Appends a line; its index.
    int AddLine(const QString& name, Colorref colour, int width, int minimum, int maximum);
    // A point of the line with that index (ignored for an unknown index).
    void AddPoint(int line, int value);
    int LineCount() const { return static_cast<int>(m_lines.size()); }
    CChartLine* Line(int index);

    // One tick. Does nothing before Create.
    void Scroll();

    // The time scale printed over the chart's foot (never into the
    // scrolling picture): the seconds one scroll stands for, 0 for none.
    void SetSecondsPerScroll(double seconds);
    struct STimeMark {
        int x;  // in the client area
        QString text;
    };
    // A mark at the newest point ("now") and every whole minute back, and
    // the chart's length at its left edge ("2½ min").
    std::vector<STimeMark> TimeMarks() const;
    // The time the client width holds, in seconds; 0 without a scale.
    double LengthSeconds() const;
    static QString LengthText(double seconds);

    // With every tick drawn.
    const QImage& Image() const
    {
        DrawPending();
        return m_image;
    }
    const SChartRect& ClientRect() const { return m_client; }
    int GridPhase() const { return m_nGridPhase; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // One tick's drawing: the scroll with its grid, and each visible line's
    // newest segment.
    struct SSegment {
        int fromY;
        int toY;
        QRgb colour;
    };
    struct STick {
        int gridPhase;  // before the tick
        QRgb background;
        QRgb grid;
        std::vector<SSegment> segments;
    };

    bool DrawEmpty();
    void MakePicture() const;
    void DrawPending() const;

    // The empty chart not made yet, in the colours of its start.
    struct SBlank {
        QRgb background;
        QRgb grid;
    };

    SChartRect m_client;
    // The picture as of the last drawn tick; the ticks since, in order.
    mutable QImage m_image;
    mutable std::deque<STick> m_pending;
    mutable std::optional<SBlank> m_blank;
    Colorref m_crBackground = 0x000000;
    Colorref m_crGrid = 0x000000;
    int m_nGridPhase = kInitialGridPhase;
    double m_secondsPerScroll = 0.0;
    std::vector<std::unique_ptr<CChartLine>> m_lines;
};
