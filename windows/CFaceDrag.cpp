#include "windows/CFaceDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

CFaceDrag::CFaceDrag(QWidget& window) : m_window(window) { window.installEventFilter(this); }

bool CFaceDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            QWindow* window = m_window.windowHandle();
            if (window == nullptr || !window->startSystemMove()) {
                m_bDragging = true;
                m_offset = mouse->globalPosition().toPoint() - m_window.frameGeometry().topLeft();
            }
            return true;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (!m_bDragging || !(mouse->buttons() & Qt::LeftButton)) return false;
            m_window.move(mouse->globalPosition().toPoint() - m_offset);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) m_bDragging = false;
            return false;
        default:
            return false;
    }
}
