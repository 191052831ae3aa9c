#include "skin/CRulerModel.h"
#include "skin/CRulerSlider.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

CRulerModel Horizontal(int width, int minimum, int maximum)
{
    CRulerModel model(false);
    model.Layout(QSize(width, 20));
    model.SetRulerRange(minimum, maximum);
    return model;
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

} // namespace

TEST(RulerSlider, TickEdgeCases)
{
    struct Case {
        int extent, minimum, maximum, step;
        std::size_t listed;
        int first, last;
    } cases[] = {
        {100, 0, 50, 20, 5, 20, 100},     // the last tick sits on the far edge
        {150, 0, 1500, 10, 15, 10, 150},  // 150 ticks, those to 150 listed, 14 inside
        {100, 0, 100, 10, 10, 10, 100},   // span 100 is not above 100
        {100, 0, 101, 90, 1, 90, 90},
        {100, 20, 25, 200, 0, 0, 0},      // span / 10 is 0: no tick
        {100, 0, 100000, 0, 0, 0, 0},     // under a pixel per step: no tick
    };
    for (const Case& c : cases) {
        const CRulerModel model = Horizontal(c.extent, c.minimum, c.maximum);
        EXPECT_EQ(model.TickStep(), c.step) << c.maximum;
        const std::vector<int> ticks = model.TickPositions();
        ASSERT_EQ(ticks.size(), c.listed) << c.maximum;
        if (!ticks.empty()) {
            EXPECT_EQ(ticks.front(), c.first);
            EXPECT_EQ(ticks.back(), c.last);
        }
    }
    const CRulerModel fine = Horizontal(150, 0, 1500);
    const auto ticks = fine.TickPositions();
    EXPECT_EQ(std::count_if(ticks.begin(), ticks.end(), [](int x) { return x < 150; }), 14);
}

TEST(RulerSlider, ZeroSpanOrExtentDoesNotDivide)
{
    CRulerModel flat = Horizontal(100, 50, 50);
    EXPECT_EQ(flat.ValueToPixels(10), 0);
    EXPECT_TRUE(flat.TickPositions().empty());
    flat.SetHighLimit(80);
    flat.SetLowLimit(10);
    EXPECT_EQ(flat.GetHighLimit(), 50);
    EXPECT_EQ(flat.GetLowLimit(), 50);

    CRulerModel empty = Horizontal(0, 0, 100);
    EXPECT_EQ(empty.PixelsToValue(5), 0.0);
    empty.Press({0, 0});
    empty.Move({0, 0});
    empty.UpdateLimitsFromMarkers();
    EXPECT_EQ(empty.GetLowLimit(), 0);

    CRulerSlider slider(true);
    slider.resize(0, 0);
    slider.SetRulerRange(0, 0);
    QImage image(1, 1, QImage::Format_RGB32);
    slider.render(&image); // paints without trouble
}

TEST(RulerSlider, SettersClampAndPlaceMarkers)
{
    CRulerModel model = Horizontal(200, 0, 100);
    model.SetHighLimit(150);
    EXPECT_EQ(model.GetHighLimit(), 100);
    EXPECT_EQ(model.HighMarker(), 200);
    model.SetLowLimit(-5);
    EXPECT_EQ(model.GetLowLimit(), 0);
    EXPECT_EQ(model.LowMarker(), 0);
    model.SetHighLimit(75);
    model.SetLowLimit(25);
    EXPECT_EQ(model.HighMarker(), 150);
    EXPECT_EQ(model.LowMarker(), 50);
    EXPECT_EQ(model.HighZone(), QRect(150, 0, 50, 20));
    EXPECT_EQ(model.LowZone(), QRect(0, 0, 50, 20));
    EXPECT_EQ(model.MiddleZone(), QRect(50, 0, 100, 20));

    CRulerModel vertical(true);
    vertical.Layout(QSize(20, 300));
    vertical.SetRulerRange(-100, 200);
    vertical.SetHighLimit(100);
    vertical.SetLowLimit(0);
    EXPECT_EQ(vertical.HighMarker(), 100);
    EXPECT_EQ(vertical.LowMarker(), 200);
    EXPECT_EQ(vertical.HighZone(), QRect(0, 0, 20, 100));
    EXPECT_EQ(vertical.LowZone(), QRect(0, 200, 20, 100));
}

TEST(RulerSlider, AClickOnAMarkerWithoutAMoveKeepsItsExactLimit)
{
    // 200 pixels for 0..300: limits that no pixel represents exactly.
    for (const bool vertical : {false, true}) {
        CRulerModel model(vertical);
        model.Layout(vertical ? QSize(20, 200) : QSize(200, 20));
        model.SetRulerRange(0, 300);
        model.SetHighLimit(130);
        model.SetLowLimit(100);
        const auto at = [&](int marker) { return vertical ? QPoint(5, marker) : QPoint(marker, 5); };
        for (const int marker : {model.HighMarker(), model.LowMarker()}) {
            ASSERT_TRUE(model.Press(at(marker)));
            model.Move(at(marker));
            model.UpdateLimitsFromMarkers();
            EXPECT_TRUE(model.Release());
        }
        EXPECT_EQ(model.GetHighLimit(), 130) << vertical;
        EXPECT_EQ(model.GetLowLimit(), 100) << vertical;

        // A real move takes the pixel's limit.
        ASSERT_TRUE(model.Press(at(model.HighMarker())));
        model.Move(at(vertical ? model.HighMarker() - 10 : model.HighMarker() + 10));
        model.UpdateLimitsFromMarkers();
        model.Release();
        EXPECT_NE(model.GetHighLimit(), 130) << vertical;
        EXPECT_EQ(model.GetLowLimit(), 100) << vertical;
    }
}

TEST(RulerSlider, DraggingBounds)
{
    CRulerModel model = Horizontal(200, 0, 100);
    model.SetHighLimit(60);
    model.SetLowLimit(20);
    // Low marker onto the high one: stops one pixel short.
    EXPECT_TRUE(model.Press({42, 5}));
    EXPECT_TRUE(model.IsDraggingLow());
    EXPECT_FALSE(model.IsDraggingHigh());
    model.Move({100, 5});
    EXPECT_EQ(model.LowMarker(), 100);
    model.Move({120, 5});
    EXPECT_EQ(model.LowMarker(), 100);
    model.Move({119, 5});
    EXPECT_EQ(model.LowMarker(), 119);
    model.UpdateLimitsFromMarkers();
    EXPECT_EQ(model.GetLowLimit(), 59);
    EXPECT_EQ(model.GetHighLimit(), 60);
    model.Release();

    // High marker can't pass the low one, nor leave the bar.
    EXPECT_TRUE(model.Press({124, 5}));
    EXPECT_TRUE(model.IsDraggingHigh());
    model.Move({119, 5});
    EXPECT_EQ(model.HighMarker(), 120);
    model.Move({201, 5});
    EXPECT_EQ(model.HighMarker(), 120);
    model.Move({200, 5});
    EXPECT_EQ(model.HighMarker(), 200);
    model.UpdateLimitsFromMarkers();
    EXPECT_EQ(model.GetHighLimit(), 100);
    EXPECT_TRUE(model.Release());
    EXPECT_FALSE(model.IsDraggingHigh());
    EXPECT_FALSE(model.Release());

    // Vertical: the high marker stays above the low one.
    CRulerModel vertical(true);
    vertical.Layout(QSize(20, 100));
    vertical.SetRulerRange(0, 100);
    EXPECT_TRUE(vertical.Press({5, 3}));
    vertical.Move({5, 100}); // onto the low marker: refused
    EXPECT_EQ(vertical.HighMarker(), 0);
    vertical.Move({5, 99});
    EXPECT_EQ(vertical.HighMarker(), 99);
    vertical.UpdateLimitsFromMarkers();
    EXPECT_EQ(vertical.GetHighLimit(), 1);
}

TEST(RulerSlider, PressAwayFromMarkersStillNotifiesEveryMove)
{
    QWidget parent;
    auto* slider = new CRulerSlider(false, &parent);
    slider->setGeometry(0, 0, 200, 20);
    slider->SetRulerRange(0, 100);
    int notes = 0;
    QObject::connect(slider, &CRulerSlider::ThumbTrack, [&] { ++notes; });

    Mouse(slider, QEvent::MouseMove, {100, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(notes, 0);
    Mouse(slider, QEvent::MouseButtonPress, {100, 5}, Qt::LeftButton, Qt::LeftButton);
    for (int x : {90, 80, 70})
        Mouse(slider, QEvent::MouseMove, {x, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(notes, 3);
    EXPECT_EQ(slider->Model().LowMarker(), 0);
    EXPECT_EQ(slider->Model().HighMarker(), 200);
    Mouse(slider, QEvent::MouseButtonRelease, {70, 5}, Qt::LeftButton, Qt::NoButton);
    Mouse(slider, QEvent::MouseMove, {60, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(notes, 3);
}

TEST(RulerSlider, LimitsFollowTheDragAtPaintAndResizeResetsThem)
{
    QWidget parent;
    auto* slider = new CRulerSlider(false, &parent);
    slider->setGeometry(0, 0, 200, 20);
    slider->SetRulerRange(0, 1000);
    slider->SetHighLimit(800);
    slider->SetLowLimit(200);
    parent.show(); // showing keeps the limits the owner set
    EXPECT_EQ(slider->GetLowLimit(), 200);
    int seenLow = -1;
    QObject::connect(slider, &CRulerSlider::ThumbTrack, [&] { seenLow = slider->GetLowLimit(); });

    QImage image(200, 20, QImage::Format_RGB32);
    Mouse(slider, QEvent::MouseButtonPress, {40, 5}, Qt::LeftButton, Qt::LeftButton);
    Mouse(slider, QEvent::MouseMove, {60, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(seenLow, 200); // notified before the paint that moves the limit
    slider->render(&image);
    EXPECT_EQ(slider->GetLowLimit(), 300);
    // Zones: blue below the low marker, red above the high one.
    EXPECT_EQ(image.pixel(30, 3), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(170, 3), qRgb(255, 0, 0));
    Mouse(slider, QEvent::MouseButtonRelease, {60, 5}, Qt::LeftButton, Qt::NoButton);

    slider->resize(300, 20);
    QApplication::processEvents();
    EXPECT_EQ(slider->GetLowLimit(), 0);
    EXPECT_EQ(slider->GetHighLimit(), 1000);
    EXPECT_EQ(slider->Model().HighMarker(), 300);
}
