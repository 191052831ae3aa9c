// The frameless window is dragged by its face, the whole of which is its
// caption: the window system moves it where it can, otherwise the window
// follows the mouse while the left button is held.
#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

class CFaceDrag : public QObject {
public:
    // Watches window's mouse (and what its controls leave to it); window
    // must outlive this object.
    explicit CFaceDrag(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    bool m_bDragging = false;
    QPoint m_offset;
};
