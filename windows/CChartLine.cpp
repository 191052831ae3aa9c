#include "windows/CChartLine.h"

#include <cstdint>

CChartLine::CChartLine(QString name, Colorref colour, int width, int minimum, int maximum)
    : m_strName(std::move(name))
    , m_crColour(colour)
    , m_nPenWidth(width)
    , m_nMinimum(minimum)
    , m_nSpan(maximum - minimum + 1)
    , m_nOffset(minimum - 1)
{
    // A tick takes the points of one monitoring interval: one or two.
    m_points.reserve(10);
}

void CChartLine::SetPen(Colorref colour, int width)
{
    m_crColour = colour;
    m_nPenWidth = width;
}

void CChartLine::AddPoint(int value)
{
    m_points.push_back(value - m_nOffset);
}

int CChartLine::TakeAverage()
{
    if (m_points.empty())
        return 0;
    std::int64_t sum = 0;
    for (int point : m_points)
        sum += point;
    const auto average = static_cast<int>(sum / static_cast<std::int64_t>(m_points.size()));
    m_points.clear();
    return average;
}
