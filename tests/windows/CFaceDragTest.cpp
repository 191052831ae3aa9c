#include "windows/CFaceDrag.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QWidget>

#include "support/QtTestApplication.h"

namespace {

void Send(QWidget& window, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(window.mapFromGlobal(global)), QPointF(global), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &event);
}

}  // namespace

// Where the window system cannot move the window itself (offscreen here),
// the window follows a left-button drag by the offset it was grabbed at, and
// only while the button is held; other buttons are left to the window.
TEST(FaceDrag, TheWindowFollowsOnlyALeftButtonDrag)
{
    QtTestApplication();
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(100, 100, 200, 100);
    window.show();
    CFaceDrag drag(window);
    const QPoint start = window.pos();
    const QPoint grab = start + QPoint(10, 10);

    Send(window, QEvent::MouseButtonPress, grab, Qt::RightButton, Qt::RightButton);
    Send(window, QEvent::MouseMove, grab + QPoint(40, 0), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window.pos(), start) << "a right-button drag";
    Send(window, QEvent::MouseButtonRelease, grab + QPoint(40, 0), Qt::RightButton, Qt::NoButton);

    Send(window, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    Send(window, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(30, 20));
    Send(window, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);

    Send(window, QEvent::MouseMove, grab + QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), start + QPoint(30, 20)) << "after the release";
}
