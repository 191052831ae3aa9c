#include "tools/kelvane-gallery/CGalleryWindow.h"

#include "tools/kelvane-gallery/CGallerySubScreen.h"
#include "tools/kelvane-skingen/SkinCatalogue.h"

#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinCaption.h"
#include "skin/SkinRegion.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

using namespace skinart;

namespace {

struct Caption {
    int controlId;
    const char* text;
};
// The three setting buttons carry their caption as text.
constexpr Caption kCaptions[] = {
    {1002, "Monitor Setting"}, {1001, "Display Setting"}, {1000, "Dravik Manager"}};

struct Reading {
    int controlId;
    const char* text;
};
constexpr Reading kReadings[] = {
    {1003, "1.3"}, {1004, "2812"}, {1005, "48.5"},
    {1008, "VCore"}, {1009, "CPU FAN"}, {1012, "CPU Temp"},
    {1047, "V"}, {1048, "RPM"}, {1049, "C"},
};

}  // namespace

CGalleryWindow::CGalleryWindow(const CSkinLibrary& library, bool expanded, bool graphs)
    : m_library(library), m_bExpanded(expanded)
{
    const QImage outline = library.Image(expanded ? 147 : 150);
    resize(outline.size());
    m_outline = RegionFromBitmap(outline, 0xFFFFFF, false).region;
    setMask(m_outline);

    if (expanded) {
        using Area = CGallerySubScreen::Area;
        const Area areas[] = {Area::Voltage, Area::Fan, Area::Temperature};
        for (int i = 0; i < 3; ++i) {
            auto* panel = new CGallerySubScreen(library, areas[i], graphs, this);
            panel->move(kPanelX, kPanelY[i]);
            m_panels.append(panel);
        }
    }

    for (const FacePlacement& place : kFaceButtons) {
        if ((place.expandedOnly && !expanded) || (place.compactOnly && expanded))
            continue;
        auto* button = new CSkinButton(&library, this);
        button->setObjectName(QString::number(place.controlId));
        button->move(place.x, place.y);
        for (const Caption& c : kCaptions)
            if (c.controlId == place.controlId)
                button->setText(QString::fromLatin1(c.text));
        button->ApplySkin(place.normal, place.pressed, place.hover, place.disabled, 0, place.mask,
                          0, 0, 0);
        // The view that is shown at start has its switch disabled; the suite
        // button waits for the suite.
        const bool startsDisabled = place.controlId == 1000 || place.controlId == 1041
            || place.controlId == 1043 || place.controlId == 1045;
        const bool graphSwitch = place.controlId == 1042 || place.controlId == 1044
            || place.controlId == 1046;
        const bool backSwitch = place.controlId == 1041 || place.controlId == 1043
            || place.controlId == 1045;
        if (graphs && (graphSwitch || backSwitch))
            button->setEnabled(backSwitch);
        else
            button->setEnabled(!startsDisabled);
        m_buttons.append(button);
    }

    for (const FaceRect& r : kFaceTexts) {
        const QRect geometry(r.x, r.y, r.width, r.height);
        if (r.controlId >= 1003 && r.controlId <= 1005) {
            auto* display = new CSegmentDisplay(this);
            display->setObjectName(QString::number(r.controlId));
            display->setGeometry(geometry);
            display->SetSegmentColours(0x000000, 0x00FF00);
            display->SetTransparentMode(true);
            display->ChangeDisplayStyle(0, 0x1C);
        } else {
            auto* label = new CTransparentStatic(0, this);
            label->setObjectName(QString::number(r.controlId));
            label->setGeometry(geometry);
            label->SetTextColour(0x00FF00);
        }
    }
    for (const Reading& reading : kReadings) {
        const QString name = QString::number(reading.controlId);
        if (auto* display = findChild<CSegmentDisplay*>(name))
            display->SetDisplayText(QString::fromLatin1(reading.text));
        else if (auto* label = findChild<CTransparentStatic*>(name))
            label->SetText(QString::fromLatin1(reading.text));
    }
}

void CGalleryWindow::SetButtonState(ButtonState state)
{
    for (CSkinButton* button : m_buttons) {
        switch (state) {
        case ButtonState::Normal:
            break;
        case ButtonState::Hover: {
            if (!button->isEnabled())
                break;
            const QPointF centre = QRectF(button->rect()).center();
            QMouseEvent move(QEvent::MouseMove, centre, button->mapToGlobal(centre),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(button, &move);
            break;
        }
        case ButtonState::Pressed:
            if (button->isEnabled())
                button->setDown(true);
            break;
        case ButtonState::Disabled:
            button->setEnabled(false);
            break;
        }
    }
}

void CGalleryWindow::ShowAlarm()
{
    if (auto* volt = findChild<CSegmentDisplay*>(QStringLiteral("1003")))
        volt->SetSegmentColours(0xFFFFFF, 0x0000FF);
    if (auto* fan = findChild<CSegmentDisplay*>(QStringLiteral("1004")))
        fan->SetDisplayText(QStringLiteral("OFF"));
    for (CGallerySubScreen* panel : m_panels)
        panel->ShowAlarm();
}

QImage CGalleryWindow::Render()
{
    QImage image = grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Outside the outline the desktop shows; white stands for it here.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!m_outline.contains(QPoint(x, y)))
                image.setPixel(x, y, qRgb(255, 255, 255));
    return image;
}

void CGalleryWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_library.Image(m_bExpanded ? 143 : 146));
    // The captions, as the main window draws them over the face.
    SkinCaption::DrawPlace(painter, SkinCaption::kTitleCaption, QString::fromLatin1(SkinCaption::kTitleCaption.text));
    for (const SkinCaption::SPlace& place : SkinCaption::kWellCaptions)
        SkinCaption::DrawPlace(painter, place, QString::fromLatin1(place.text));
    if (m_bExpanded)
        for (const SkinCaption::SPlace& place : SkinCaption::kRailCaptions)
            SkinCaption::DrawPlace(painter, place, QString::fromLatin1(place.text));
}
