#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

// The geometry and drag rules of the ruler slider, apart from any window: a
// low and a high limit marker over a value range, laid out along a client
// rectangle whose origin is 0, 0. Horizontal: low at the left, high at the
// right; vertical: high at the top, low at the bottom.
class CRulerModel {
public:
    explicit CRulerModel(bool vertical = false);

    bool IsVertical() const { return m_bVertical; }

    // New client size: markers back to the ends, limits to the range's ends.
    void Layout(const QSize& client);
    const QSize& Client() const { return m_client; }

    void SetRulerRange(int minimum, int maximum);
    int Minimum() const { return m_nMinimum; }
    int Maximum() const { return m_nMaximum; }

    // Clamped into the range; a low above the high limit is left as it is.
    void SetHighLimit(int value);
    void SetLowLimit(int value);
    int GetHighLimit() const { return m_nHighLimit; }
    int GetLowLimit() const { return m_nLowLimit; }

    // Extent (client size along the bar) and span (maximum - minimum); a zero
    // or negative one converts to 0 instead of dividing by it.
    int ValueToPixels(int value) const;
    double PixelsToValue(int pixels) const;

    // A press arms the markers within kHitDistance of it; returns true when one
    // was hit. Move returns true when a marker is being dragged (the picture
    // changes); the owner notifies its parent on every move while dragging,
    // whatever it returns. Release returns true when a drag ended.
    static constexpr int kHitDistance = 4;
    bool Press(const QPoint& point);
    bool Move(const QPoint& point);
    bool Release();
    bool IsDragging() const { return m_bDragging; }
    bool IsDraggingHigh() const { return m_bDragHigh; }
    bool IsDraggingLow() const { return m_bDragLow; }
    bool IsNearMarker(const QPoint& point) const;

    // The limits of the markers being dragged, taken from their positions once
    // they moved (done when the control paints).
    void UpdateLimitsFromMarkers();

    // Marker positions along the bar (x horizontal, y vertical) and the zones
    // beyond them, each spanning the client across the bar.
    int HighMarker() const { return m_nHighMarker; }
    int LowMarker() const { return m_nLowMarker; }
    QRect HighZone() const;
    QRect LowZone() const;
    QRect MiddleZone() const;

    // Tick positions along the bar: steps of ValueToPixels(10) (ten times that
    // for a span above 100), span / 10 of them, from the left (horizontal) or
    // the top (vertical); only those up to the client's far edge are listed.
    int TickStep() const;
    std::vector<int> TickPositions() const;

private:
    int Extent() const { return m_bVertical ? m_client.height() : m_client.width(); }
    long long Span() const { return (long long)m_nMaximum - m_nMinimum; }

    bool m_bDragging = false;
    bool m_bVertical;
    bool m_bDragHigh = false;
    bool m_bDragLow = false;
    QSize m_client;
    // Zone edges along the bar: the low zone runs from the low end to
    // m_nLowMarker, the high zone from m_nHighMarker to the high end.
    int m_nHighMarker = 0;
    int m_nLowMarker = 0;
    // Whether the marker left its place since the press.
    bool m_bHighMoved = false;
    bool m_bLowMoved = false;
    int m_nMinimum = 0;
    int m_nMaximum = 0;
    int m_nLowLimit = 0;
    int m_nHighLimit = 0;
};
