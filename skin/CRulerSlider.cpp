#include "skin/CRulerSlider.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A one-pixel raised frame: light top-left, shadow bottom-right.
void DrawRaisedFrame(QPainter& painter, const QRect& r, const QPalette& palette)
{
    if (r.width() < 2 || r.height() < 2)
        return;
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

CRulerSlider::CRulerSlider(bool vertical, QWidget* parent)
    : QWidget(parent)
    , m_model(vertical)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::StrongFocus);
    // Until the owner sets one, the range is the control's own extent in pixels.
    m_model.Layout(size());
    m_model.SetRulerRange(0, vertical ? height() : width());
}

void CRulerSlider::SyncSize()
{
    if (m_model.Client() != size())
        m_model.Layout(size());
}

void CRulerSlider::SetRulerRange(int minimum, int maximum)
{
    SyncSize();
    m_model.SetRulerRange(minimum, maximum);
    update();
}

void CRulerSlider::SetHighLimit(int value)
{
    SyncSize();
    m_model.SetHighLimit(value);
}

void CRulerSlider::SetLowLimit(int value)
{
    SyncSize();
    m_model.SetLowLimit(value);
}

void CRulerSlider::resizeEvent(QResizeEvent* event)
{
    SyncSize();
    QWidget::resizeEvent(event);
}

void CRulerSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    SyncSize();
    m_model.Press(event->position().toPoint());
    UpdateCursor(event->position().toPoint());
    update();
}

void CRulerSlider::mouseMoveEvent(QMouseEvent* event)
{
    SyncSize();
    const QPoint point = event->position().toPoint();
    if (m_model.IsDragging()) {
        const bool markerMoved = m_model.Move(point);
        emit ThumbTrack();
        if (markerMoved)
            update();
    }
    UpdateCursor(point);
}

void CRulerSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_model.Release())
        update();
    else
        QWidget::mouseReleaseEvent(event);
}

void CRulerSlider::keyPressEvent(QKeyEvent* event)
{
    if (m_model.IsDragging()) {
        QWidget::keyPressEvent(event);
        return;
    }
    SyncSize();
    const int low = GetLowLimit();
    const int high = GetHighLimit();
    switch (event->key()) {
        case Qt::Key_Left: SetLowLimit(std::max(low - 1, m_model.Minimum())); break;
        case Qt::Key_Right: SetLowLimit(std::min(low + 1, high)); break;
        case Qt::Key_Down: SetHighLimit(std::max(high - 1, low)); break;
        case Qt::Key_Up: SetHighLimit(std::min(high + 1, m_model.Maximum())); break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
    if (GetLowLimit() != low || GetHighLimit() != high) {
        emit ThumbTrack();
        update();
    }
}

void CRulerSlider::UpdateCursor(const QPoint& point)
{
    if (m_model.IsNearMarker(point))
        setCursor(IsVertical() ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    else
        unsetCursor();
}

void CRulerSlider::paintEvent(QPaintEvent*)
{
    SyncSize();
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect high = m_model.HighZone();
    const QRect low = m_model.LowZone();
    if (!high.isEmpty()) {
        painter.fillRect(high, QColor(255, 0, 0));
        DrawRaisedFrame(painter, high, pal);
    }
    if (!low.isEmpty()) {
        painter.fillRect(low, QColor(0, 0, 255));
        DrawRaisedFrame(painter, low, pal);
    }
    painter.fillRect(m_model.MiddleZone(), pal.color(QPalette::Base));

    // Ticks grey while a drag is under way.
    painter.setPen(m_model.IsDragging() ? QColor(0x80, 0x80, 0x80) : pal.color(QPalette::Text));
    const int w = width();
    const int h = height();
    for (const int at : m_model.TickPositions()) {
        if (IsVertical())
            painter.drawLine(w - 1, at, w - 1 - w / 3, at);
        else
            painter.drawLine(at, h - 1, at, h - 1 - h / 3);
    }

    m_model.UpdateLimitsFromMarkers();
    painter.setPen(Qt::black);
    if (m_model.IsDraggingHigh()) {
        if (IsVertical())
            painter.drawLine(w / 2, 0, w / 2, m_model.HighMarker());
        else
            painter.drawLine(w - 1, h / 2, m_model.HighMarker(), h / 2);
    }
    if (m_model.IsDraggingLow()) {
        if (IsVertical())
            painter.drawLine(w / 2, h - 1, w / 2, m_model.LowMarker());
        else
            painter.drawLine(0, h / 2, m_model.LowMarker(), h / 2);
    }
    // A thumb on each marker, the handle the user grabs; the same light
    // handle as the plain sliders'.
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const int at : {m_model.LowMarker(), m_model.HighMarker()}) {
        const QRectF thumb = IsVertical() ? QRectF(0.5, at - kThumbHalf + 0.5, w - 1.0, 2.0 * kThumbHalf)
                                          : QRectF(at - kThumbHalf + 0.5, 0.5, 2.0 * kThumbHalf, h - 1.0);
        QLinearGradient fill(thumb.topLeft(), IsVertical() ? thumb.topRight() : thumb.bottomLeft());
        fill.setColorAt(0, isEnabled() ? QColor(0xF4, 0xF7, 0xFA) : QColor(0x5A, 0x62, 0x6B));
        fill.setColorAt(1, isEnabled() ? QColor(0xA9, 0xB4, 0xBF) : QColor(0x4A, 0x52, 0x5B));
        painter.setPen(QPen(QColor(0x0A, 0x0C, 0x0E), 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(thumb, 1.5, 1.5);
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
