#include "skin/CRulerModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

CRulerModel::CRulerModel(bool vertical)
    : m_bVertical(vertical)
{
}

void CRulerModel::Layout(const QSize& client)
{
    m_client = client;
    if (m_bVertical) {
        m_nHighMarker = 0;
        m_nLowMarker = client.height();
    } else {
        m_nLowMarker = 0;
        m_nHighMarker = client.width();
    }
    m_nHighLimit = m_nMaximum;
    m_nLowLimit = m_nMinimum;
}

void CRulerModel::SetRulerRange(int minimum, int maximum)
{
    m_nMinimum = minimum;
    m_nMaximum = maximum;
    Layout(m_client);
}

int CRulerModel::ValueToPixels(int value) const
{
    const long long span = Span();
    if (span <= 0)
        return 0;
    return int((long long)value * Extent() / span);
}

double CRulerModel::PixelsToValue(int pixels) const
{
    const int extent = Extent();
    if (extent <= 0)
        return 0.0;
    // The range is held in single precision, as the limits have always been
    // converted back.
    const float span = float(Span());
    return std::trunc(float(pixels) * span / float(extent));
}

void CRulerModel::SetHighLimit(int value)
{
    m_nHighLimit = std::min(value, m_nMaximum);
    const int c = ValueToPixels(m_nMaximum - m_nHighLimit);
    m_nHighMarker = m_bVertical ? c : m_client.width() - c;
}

void CRulerModel::SetLowLimit(int value)
{
    m_nLowLimit = std::max(value, m_nMinimum);
    const int c = ValueToPixels(m_nLowLimit - m_nMinimum);
    m_nLowMarker = m_bVertical ? m_client.height() - c : c;
}

bool CRulerModel::Press(const QPoint& point)
{
    m_bDragging = true;
    const int along = m_bVertical ? point.y() : point.x();
    m_bDragHigh = std::abs(along - m_nHighMarker) <= kHitDistance;
    m_bDragLow = std::abs(along - m_nLowMarker) <= kHitDistance;
    m_bHighMoved = false;
    m_bLowMoved = false;
    return m_bDragHigh || m_bDragLow;
}

bool CRulerModel::Move(const QPoint& point)
{
    if (!m_bDragging)
        return false;
    const int highBefore = m_nHighMarker;
    const int lowBefore = m_nLowMarker;
    if (m_bVertical) {
        const int y = point.y();
        if (m_bDragLow && y > m_nHighMarker && y >= 0 && y <= m_client.height())
            m_nLowMarker = y;
        if (m_bDragHigh && y < m_nLowMarker && y >= 0 && y <= m_client.height())
            m_nHighMarker = y;
    } else {
        const int x = point.x();
        if (m_bDragHigh && x > m_nLowMarker && x >= 0 && x <= m_client.width())
            m_nHighMarker = x;
        if (m_bDragLow && x < m_nHighMarker && x >= 0 && x < m_client.width())
            m_nLowMarker = x;
    }
    m_bHighMoved = m_bHighMoved || m_nHighMarker != highBefore;
    m_bLowMoved = m_bLowMoved || m_nLowMarker != lowBefore;
    return m_bDragHigh || m_bDragLow;
}

bool CRulerModel::Release()
{
    if (!m_bDragging)
        return false;
    m_bDragging = false;
    m_bDragHigh = false;
    m_bDragLow = false;
    return true;
}

bool CRulerModel::IsNearMarker(const QPoint& point) const
{
    const int along = m_bVertical ? point.y() : point.x();
    return std::abs(along - m_nHighMarker) <= kHitDistance || std::abs(along - m_nLowMarker) <= kHitDistance;
}

void CRulerModel::UpdateLimitsFromMarkers()
{
    // Only a marker that really moved takes its limit from its pixel: a
    // click on a marker keeps the limit exact instead of rounding it to the
    // pixel the marker sits on.
    const bool high = m_bDragHigh && m_bHighMoved;
    const bool low = m_bDragLow && m_bLowMoved;
    if (m_bVertical) {
        if (high)
            m_nHighLimit = m_nMaximum - int(PixelsToValue(m_nHighMarker));
        if (low)
            m_nLowLimit = m_nMinimum + int(PixelsToValue(m_client.height() - m_nLowMarker));
    } else {
        if (high)
            m_nHighLimit = m_nMaximum - int(PixelsToValue(m_client.width() - m_nHighMarker));
        if (low)
            m_nLowLimit = m_nMinimum + int(PixelsToValue(m_nLowMarker));
    }
}

QRect CRulerModel::HighZone() const
{
    if (m_bVertical)
        return QRect(0, 0, m_client.width(), m_nHighMarker);
    return QRect(m_nHighMarker, 0, m_client.width() - m_nHighMarker, m_client.height());
}

QRect CRulerModel::LowZone() const
{
    if (m_bVertical)
        return QRect(0, m_nLowMarker, m_client.width(), m_client.height() - m_nLowMarker);
    return QRect(0, 0, m_nLowMarker, m_client.height());
}

QRect CRulerModel::MiddleZone() const
{
    if (m_bVertical)
        return QRect(0, m_nHighMarker, m_client.width(), m_nLowMarker - m_nHighMarker);
    return QRect(m_nLowMarker, 0, m_nHighMarker - m_nLowMarker, m_client.height());
}

int CRulerModel::TickStep() const
{
    const int step = ValueToPixels(10);
    return Span() > 100 ? 10 * step : step;
}

std::vector<int> CRulerModel::TickPositions() const
{
    std::vector<int> ticks;
    const int step = TickStep();
    // A step below one pixel would stack every tick on the edge.
    if (step <= 0)
        return ticks;
    const long long count = Span() / 10;
    const int extent = Extent();
    for (long long i = 1; i <= count && i * step <= extent; ++i)
        ticks.push_back(int(i * step));
    return ticks;
}
