#pragma once

#include "skin/CRulerModel.h"

#include <QWidget>

// A bar on which the user drags a low and a high limit marker over a value
// range. Blue shows the zone below the low limit, red the zone above the high
// limit, the window colour the allowed zone between; a ruler of ticks runs
// along the bar. Horizontal: low at the left; vertical: high at the top.
//
// While the left button is down after a press in the control, every mouse
// move emits ThumbTrack (the owner reads GetLowLimit / GetHighLimit then).
// The limits follow the dragged markers when the control paints, so during a
// drag the owner sees the limits of the previous move.
//
// Keyboard (the control takes the focus with Tab or a click): Left and Right
// move the low limit, Down and Up the high limit, one unit per press, never
// past each other or the range; each step emits ThumbTrack.
class CRulerSlider : public QWidget {
    Q_OBJECT

public:
    explicit CRulerSlider(bool vertical, QWidget* parent = nullptr);

    bool IsVertical() const { return m_model.IsVertical(); }

    // Markers to the ends of the new range, limits to minimum and maximum.
    void SetRulerRange(int minimum, int maximum);
    // Clamped into the range; no repaint of their own (the owner repaints).
    void SetHighLimit(int value);
    void SetLowLimit(int value);
    int GetHighLimit() const { return m_model.GetHighLimit(); }
    int GetLowLimit() const { return m_model.GetLowLimit(); }

    const CRulerModel& Model() const { return m_model; }

    // Half the width of the thumb drawn on each marker.
    static constexpr int kThumbHalf = 3;

signals:
    // A move while the button is held (the thumb-track scroll notification).
    void ThumbTrack();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateCursor(const QPoint& point);
    // A hidden widget gets its resize event only when shown; the geometry is
    // taken from the widget itself whenever it is needed, so the owner's
    // range and limits set before showing hold.
    void SyncSize();

    CRulerModel m_model;
};
