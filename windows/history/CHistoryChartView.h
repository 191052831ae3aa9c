// The chart of the history window: a QChartView that reports the time
// under the pointer, draws a cursor line there and zooms on the wheel.
#pragma once

#include <QChartView>

#include <functional>

class QGraphicsLineItem;

class CHistoryChartView : public QChartView {
    Q_OBJECT

public:
    explicit CHistoryChartView(QChart* chart, QWidget* parent = nullptr);

Q_SIGNALS:
    // The time (ms since the epoch) under the pointer; -1 once it leaves.
    void pointerAt(qint64 timeMs);
    // The wheel: factor > 1 zooms in around the pointer's time.
    void wheelZoom(double factor, qint64 aroundMs);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QGraphicsLineItem* m_cursor = nullptr;
};
