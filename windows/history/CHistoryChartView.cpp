#include "windows/history/CHistoryChartView.h"

#include <QChart>
#include <QGraphicsLineItem>
#include <QMouseEvent>
#include <QPen>
#include <QWheelEvent>

CHistoryChartView::CHistoryChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent) {
    setMouseTracking(true);
    setRubberBand(QChartView::HorizontalRubberBand);
    setRenderHint(QPainter::Antialiasing);
    m_cursor = new QGraphicsLineItem();
    m_cursor->setPen(QPen(QColor(0xE8, 0xEE, 0xF4, 110), 1, Qt::DashLine));
    m_cursor->setZValue(100);
    m_cursor->hide();
    chart->scene()->addItem(m_cursor);
}

void CHistoryChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const QRectF plot = chart()->plotArea();
    const QPointF scene = mapToScene(event->position().toPoint());
    if (!plot.contains(scene) || chart()->series().isEmpty()) {
        m_cursor->hide();
        emit pointerAt(-1);
        return;
    }
    m_cursor->setLine(scene.x(), plot.top(), scene.x(), plot.bottom());
    m_cursor->show();
    emit pointerAt(static_cast<qint64>(chart()->mapToValue(scene, chart()->series().first()).x()));
}

void CHistoryChartView::leaveEvent(QEvent* event) {
    QChartView::leaveEvent(event);
    m_cursor->hide();
    emit pointerAt(-1);
}

void CHistoryChartView::wheelEvent(QWheelEvent* event) {
    if (chart()->series().isEmpty() || event->angleDelta().y() == 0) return;
    const QPointF scene = mapToScene(event->position().toPoint());
    const qint64 around = static_cast<qint64>(chart()->mapToValue(scene, chart()->series().first()).x());
    emit wheelZoom(event->angleDelta().y() > 0 ? 1.25 : 0.8, around);
    event->accept();
}
