#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}
void Press(QWidget* w, QPoint at) { Mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
void Drag(QWidget* w, QPoint at) { Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
void Hover(QWidget* w, QPoint at) { Mouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
void Release(QWidget* w, QPoint at) { Mouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
void Click(QWidget* w) { Press(w, {5, 5}); Release(w, {5, 5}); }

void Key(QWidget* w, QEvent::Type type, int key)
{
    QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QCoreApplication::sendEvent(w, &event);
}

QImage Filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

struct Harness {
    QWidget parent;
    CSkinButton* button;
    int clicks = 0;
    int checkSeenByClick = -1;

    explicit Harness(quint32 style)
    {
        parent.resize(200, 100);
        button = new CSkinButton(nullptr, &parent);
        button->setGeometry(10, 10, 40, 20);
        button->SetKindFromStyle(style);
        QObject::connect(button, &QAbstractButton::clicked, [this] {
            ++clicks;
            checkSeenByClick = button->GetCheck();
        });
    }
};

} // namespace

TEST(SkinButton, KindFromStyleBits)
{
    struct Case {
        quint32 style;
        int kind;
    } cases[] = {{0x0, CSkinButton::kPush},   {0x1, CSkinButton::kPush},     {0x2, CSkinButton::kPush},
                 {0x3, CSkinButton::kCheckBox}, {0x4, CSkinButton::kPush},   {0x9, CSkinButton::kRadio},
                 {0xB, CSkinButton::kCheckBox}, {0x10009, CSkinButton::kRadio}};
    for (const Case& c : cases)
        EXPECT_EQ(CSkinButton::KindFromStyle(c.style), c.kind) << std::hex << c.style;
}

TEST(SkinButton, PressDragOffDragBackReleaseOutside)
{
    Harness h(0x3); // check box
    CSkinButton* b = h.button;
    Hover(b, {5, 5});
    EXPECT_TRUE(b->IsHover());
    Press(b, {5, 5});
    EXPECT_FALSE(b->IsHover());
    EXPECT_TRUE(b->IsHeld());
    EXPECT_TRUE(b->isDown());
    Drag(b, {60, 5}); // off the button
    EXPECT_FALSE(b->isDown());
    Drag(b, {6, 6}); // back on
    EXPECT_TRUE(b->isDown());
    Drag(b, {-3, 5});
    Release(b, {-3, 5});
    EXPECT_FALSE(b->IsHeld());
    EXPECT_FALSE(b->isDown());
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(h.clicks, 0);
}

TEST(SkinButton, CheckBoxTogglesOnReleaseOverItselfAndOnSpace)
{
    Harness h(0x3);
    CSkinButton* b = h.button;
    Click(b);
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_EQ(h.clicks, 1);
    EXPECT_EQ(h.checkSeenByClick, 1); // the click reports the new state
    Click(b);
    EXPECT_EQ(b->GetCheck(), 0);
    Key(b, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(b->GetCheck(), 1);
    Key(b, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(h.clicks, 3);
    Key(b, QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(b->GetCheck(), 1);
}

TEST(SkinButton, FocusLostWhileHeldReleasesWithoutClick)
{
    Harness h(0x3);
    CSkinButton* b = h.button;
    Press(b, {5, 5});
    QFocusEvent lost(QEvent::FocusOut, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(b, &lost);
    EXPECT_FALSE(b->IsHeld());
    EXPECT_FALSE(b->isDown());
    Drag(b, {6, 6}); // no pushed look comes back
    EXPECT_FALSE(b->isDown());
    Release(b, {6, 6});
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(h.clicks, 0);
}

TEST(SkinButton, PushKindIsNeverChecked)
{
    Harness h(0x0);
    CSkinButton* b = h.button;
    b->SetCheck(1);
    EXPECT_EQ(b->GetCheck(), 0);
    Click(b);
    Key(b, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(b->GetCheck(), 0);
    EXPECT_EQ(h.clicks, 1);
}

TEST(SkinButton, RadioCheckUnchecksTheRestOfItsGroupThroughPostedEvents)
{
    QWidget parent;
    CSkinButton* radios[4];
    for (int i = 0; i < 4; ++i) {
        radios[i] = new CSkinButton(nullptr, &parent);
        radios[i]->setGeometry(0, 30 * i, 40, 20);
        radios[i]->SetKindFromStyle(0x9);
    }
    radios[3]->SetGroup(1);
    auto* checkBox = new CSkinButton(nullptr, &parent);
    checkBox->SetKind(CSkinButton::kCheckBox);

    radios[0]->SetCheck(1);
    radios[3]->SetCheck(1);
    checkBox->SetCheck(1);
    QApplication::processEvents();
    EXPECT_EQ(radios[0]->GetCheck(), 1);

    Click(radios[1]);
    EXPECT_EQ(radios[1]->GetCheck(), 1);
    // The others learn of it only when the posted events are processed.
    EXPECT_EQ(radios[0]->GetCheck(), 1);
    QApplication::processEvents();
    EXPECT_EQ(radios[0]->GetCheck(), 0);
    EXPECT_EQ(radios[1]->GetCheck(), 1);
    EXPECT_EQ(radios[3]->GetCheck(), 1); // another group
    EXPECT_EQ(checkBox->GetCheck(), 1);  // not a radio button

    // A radio button clicked again stays checked; unchecking posts nothing.
    Click(radios[1]);
    EXPECT_EQ(radios[1]->GetCheck(), 1);
    radios[2]->SetCheck(0);
    QApplication::processEvents();
    EXPECT_EQ(radios[1]->GetCheck(), 1);
}

TEST(SkinButton, ApplySkinClampsAndShapes)
{
    struct Case {
        int drawMode, focusMargin, storedMode, storedMargin;
    } cases[] = {{5, 3, 2, 3}, {2, 0, 2, 0}, {1, -4, 1, 0}, {-1, 2, 0, 2}, {0, -1, 0, 0}};
    for (const Case& c : cases) {
        CSkinButton b(nullptr);
        b.ApplySkinImages({}, c.drawMode, 0, c.focusMargin);
        EXPECT_EQ(b.DrawMode(), c.storedMode) << c.drawMode;
        EXPECT_EQ(b.FocusMargin(), c.storedMargin) << c.focusMargin;
    }

    // Images by id through the library; the disabled image defaults to the
    // normal one, and a mask in draw mode 0 sizes and shapes the button.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage mask = Filled(10, 6, qRgb(255, 255, 255));
    for (int x = 2; x < 8; ++x)
        mask.setPixel(x, 3, qRgb(0, 0, 0));
    ASSERT_TRUE(Filled(12, 8, qRgb(200, 0, 0)).save(dir.filePath(QStringLiteral("1.png"))));
    ASSERT_TRUE(Filled(12, 8, qRgb(0, 0, 200)).save(dir.filePath(QStringLiteral("2.png"))));
    ASSERT_TRUE(mask.save(dir.filePath(QStringLiteral("3.png"))));
    const CSkinLibrary library(dir.path());
    QWidget parent;
    parent.resize(10, 6);
    CSkinButton& b = *new CSkinButton(&library, &parent);
    b.resize(50, 50);
    b.ApplySkin(1, 2, 0, 0, 0, 3, 0, 0, 0);
    EXPECT_EQ(b.size(), QSize(10, 6));
    EXPECT_EQ(b.SkinImages().disabled.pixel(0, 0), qRgb(200, 0, 0));
    EXPECT_TRUE(b.mask().contains(QPoint(2, 3)));
    EXPECT_FALSE(b.mask().contains(QPoint(1, 3)));
    EXPECT_FALSE(b.mask().contains(QPoint(4, 2)));

    // Painting: the normal image where the mask is black, pressed while held.
    // Outside the shape the parent shows.
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(1, 2, 3));
    parent.setPalette(palette);
    QImage shown(10, 6, QImage::Format_RGB32);
    parent.render(&shown);
    EXPECT_EQ(shown.pixel(4, 3), qRgb(200, 0, 0));
    EXPECT_EQ(shown.pixel(4, 2), qRgb(1, 2, 3));
    Press(&b, {4, 3});
    parent.render(&shown);
    EXPECT_EQ(shown.pixel(4, 3), qRgb(0, 0, 200));
    // A press outside the shape does not hold the button.
    Release(&b, {4, 3});
    Press(&b, {0, 0});
    EXPECT_FALSE(b.IsHeld());
}
