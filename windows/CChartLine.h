// One line of the strip chart: its name, pen colour, whether it is drawn,
// its range, the points that arrived since the last tick and where its last
// segment ended.
#pragma once

#include "skin/SkinColour.h"

#include <QString>

#include <vector>

class CChartLine {
public:
    // The range minimum..maximum maps onto the chart's height; a point is
    // kept as value - (minimum - 1).
    CChartLine(QString name, Colorref colour, int width, int minimum, int maximum);

    const QString& Name() const { return m_strName; }
    Colorref Colour() const { return m_crColour; }
    int PenWidth() const { return m_nPenWidth; }
    // The pen goes back to the line's colour (the graph panels recreate the
    // pens once the chart exists).
    void SetPen(Colorref colour, int width);

    bool IsVisible() const { return m_bVisible; }
    void SetVisible(bool visible) { m_bVisible = visible; }

    int Minimum() const { return m_nMinimum; }
    int Span() const { return m_nSpan; }
    int Offset() const { return m_nOffset; }

    void AddPoint(int value);
    bool HasPendingPoints() const { return !m_points.empty(); }
    std::size_t PendingCount() const { return m_points.size(); }
    // The integer mean of the pending points (0 when there are none), which
    // empties the queue.
    int TakeAverage();

    int CurrentY() const { return m_nCurrentY; }
    int PreviousY() const { return m_nPreviousY; }
    void SetCurrentY(int y) { m_nCurrentY = y; }
    void SetPreviousY(int y) { m_nPreviousY = y; }

private:
    QString m_strName;
    Colorref m_crColour;
    int m_nPenWidth;
    bool m_bVisible = true;
    int m_nMinimum;
    int m_nSpan;
    int m_nOffset;
    std::vector<int> m_points;
    int m_nCurrentY = 0;
    int m_nPreviousY = 0;
};
