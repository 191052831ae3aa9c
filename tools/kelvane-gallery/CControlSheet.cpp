#include "tools/kelvane-gallery/CControlSheet.h"

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include "skin/CRulerSlider.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CSkinLogo.h"
#include "skin/CTransparentStatic.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

using namespace skinart;

namespace {

constexpr int kLabelWidth = 170;
constexpr int kCellWidth = 130;
constexpr int kMargin = 5;
const QColor kSheetColour(0x2B, 0x30, 0x36);
const QColor kDialogColour(0xEF, 0xEF, 0xEF);

// A piece of a skin picture as a widget, for controls to sit on.
class CImageTile : public QWidget {
public:
    CImageTile(QImage image, QWidget* parent) : QWidget(parent), m_image(std::move(image))
    {
        resize(m_image.size());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_image);
    }

private:
    QImage m_image;
};

enum class State { Normal, Hover, Pressed, Disabled };

struct ButtonRow {
    const char* name;
    const char* caption;
    int normal, pressed, hover, disabled, mask;
};

constexpr ButtonRow kMainRows[] = {
    {"Close", "", 184, 183, 182, 181, 181},
    {"Minimise", "", 180, 179, 178, 177, 177},
    {"Help", "", 243, 241, 242, 177, 177},
    {"Setting key", "Monitor Setting", 171, 169, 168, 133, 133},
    {"Suite key", "Dravik Manager", 171, 169, 168, 171, 133},
    {"Expand", "", 160, 158, 159, 157, 157},
    {"Collapse", "", 176, 175, 174, 173, 173},
    {"Web-site link", "", 189, 188, 187, 186, 186},
    {"View: numbers", "", 201, 200, 199, 200, 198},
    {"View: graph", "", 205, 204, 203, 204, 202},
};

constexpr ButtonRow kDialogRows[] = {
    {"View Error Log", "View Error Log", 219, 218, 0, 219, 217},
    {"List button", "Select All", 222, 221, 0, 222, 220},
    {"OK", "OK", 216, 215, 0, 216, 214},
    {"Cancel", "Cancel", 240, 239, 0, 240, 238},
    {"Monitor Setting", "Default Setting", 226, 228, 0, 226, 227},
};

void PutInState(CSkinButton* button, State state)
{
    switch (state) {
    case State::Normal:
        break;
    case State::Hover: {
        const QPointF centre = QRectF(button->rect()).center();
        QMouseEvent move(QEvent::MouseMove, centre, button->mapToGlobal(centre), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &move);
        break;
    }
    case State::Pressed:
        button->setDown(true);
        break;
    case State::Disabled:
        button->setEnabled(false);
        break;
    }
}

QLabel* SheetLabel(const QString& text, const QRect& geometry, QWidget* parent, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(bold ? 12 : 11);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0xD8, 0xDE, 0xE4));
    label->setPalette(palette);
    label->setGeometry(geometry);
    return label;
}

}  // namespace

CControlSheet::CControlSheet(const CSkinLibrary& library) : m_library(library)
{
    int top = 8;
    top = AddButtonRows(top);
    top = AddDisplayRows(top + 10);
    top = AddSliderAndLabelRows(top + 10);
    resize(kLabelWidth + 4 * kCellWidth + 10, top + 8);
}

void CControlSheet::AddHeading(int top, const QString& text)
{
    SheetLabel(text, QRect(8, top, 600, 18), this, true);
}

int CControlSheet::AddButtonRows(int top)
{
    AddHeading(top, QStringLiteral("CSkinButton"));
    const char* heads[] = {"normal", "hover", "pressed", "disabled"};
    for (int c = 0; c < 4; ++c) {
        QLabel* head = SheetLabel(QString::fromLatin1(heads[c]),
                                  QRect(kLabelWidth + c * kCellWidth, top, kCellWidth, 18), this);
        head->setAlignment(Qt::AlignCenter);
    }
    top += 22;
    const QImage compact = m_library.Image(146);
    const QImage expanded = m_library.Image(143);
    auto addRow = [&](const ButtonRow& row, bool dialog) {
        const QImage mask = m_library.Image(row.mask);
        const QSize tileSize = mask.size() + QSize(2 * kMargin, 2 * kMargin);
        QImage backdrop(tileSize, QImage::Format_RGB32);
        backdrop.fill(dialog ? kDialogColour : kSheetColour);
        for (const FacePlacement& place : kFaceButtons) {
            if (dialog || place.mask != row.mask)
                continue;
            const QImage& face = place.expandedOnly ? expanded : compact;
            backdrop = face.copy(QRect(QPoint(place.x - kMargin, place.y - kMargin), tileSize));
            break;
        }
        SheetLabel(QString::fromLatin1(row.name), QRect(8, top, kLabelWidth - 8, tileSize.height()),
                   this);
        const State states[] = {State::Normal, State::Hover, State::Pressed, State::Disabled};
        for (int c = 0; c < 4; ++c) {
            auto* tile = new CImageTile(backdrop, this);
            tile->move(kLabelWidth + c * kCellWidth + (kCellWidth - tileSize.width()) / 2, top);
            auto* button = new CSkinButton(&m_library, tile);
            button->move(kMargin, kMargin);
            button->setText(QString::fromLatin1(row.caption));
            button->ApplySkin(row.normal, row.pressed, row.hover, row.disabled, 0, row.mask, 0, 0,
                              0);
            if (!dialog && *row.caption) {
                // The main window's keys keep a disabled caption readable:
                // dark grey with a light emboss, as the window sets them.
                QPalette keyPalette = button->palette();
                keyPalette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x45, 0x4A, 0x4F));
                keyPalette.setColor(QPalette::Light, QColor(0xF4, 0xF4, 0xF4));
                button->setPalette(keyPalette);
            }
            PutInState(button, states[c]);
        }
        top += tileSize.height() + 6;
    };
    for (const ButtonRow& row : kMainRows)
        addRow(row, false);
    for (const ButtonRow& row : kDialogRows)
        addRow(row, true);

    // The alarm lamp is a disabled button whose disabled picture is switched.
    SheetLabel(QStringLiteral("Alarm lamp"), QRect(8, top, kLabelWidth - 8, 25), this);
    const char* lampHeads[] = {"in range", "alarm", "item off"};
    const int lampImages[] = {194, 193, 192};
    const QImage panel = m_library.Image(195);
    for (int c = 0; c < 3; ++c) {
        auto* tile = new CImageTile(panel.copy(13, 0, 40, 20), this);
        tile->move(kLabelWidth + c * kCellWidth + (kCellWidth - 40) / 2, top);
        auto* lamp = new CSkinButton(&m_library, tile);
        lamp->move(5, 0);
        lamp->setEnabled(false);
        lamp->ApplySkin(193, 193, 194, lampImages[c], 0, 191, 0, 0, 0);
        QLabel* head = SheetLabel(QString::fromLatin1(lampHeads[c]),
                                  QRect(kLabelWidth + c * kCellWidth, top + 21, kCellWidth, 14),
                                  this);
        head->setAlignment(Qt::AlignCenter);
    }
    return top + 40;
}

int CControlSheet::AddDisplayRows(int top)
{
    AddHeading(top, QStringLiteral("CSegmentDisplay"));
    top += 22;
    struct Sample {
        const char* what;
        const char* text;
        Colorref unlit;
        Colorref lit;
        bool transparent;
        std::uint32_t addStyle;
        bool onPanel;
    };
    const Sample samples[] = {
        {"main, in range", "12.1", 0x000000, 0x00FF00, true, 0x1C, false},
        {"main, out of range", "104.0", 0xFFFFFF, 0x0000FF, true, 0x1C, false},
        {"main, item off", "OFF", 0x000000, 0x00FF00, true, 0x1C, false},
        {"sub-screen", "3.31", 0xFFFFFF, 0xFF0000, true, 0x1C, true},
        {"unlit segments shown", "-5.02", 0x003400, 0x00FF00, false, 0x00, false},
        {"curved, letters", "FAN 2", 0x003400, 0x00FF00, false, 0x01, false},
    };
    const QImage compact = m_library.Image(146);
    const QImage panel = m_library.Image(195);
    int column = 0;
    int rowTop = top;
    for (const Sample& s : samples) {
        // Displays sit in the fan well of the face, or in a sub-screen cell.
        const QImage backdrop = s.onPanel ? panel.copy(22, 26, 82, 52) : compact.copy(160, 46, 84, 52);
        const int x = 8 + column * 190;
        auto* tile = new CImageTile(backdrop, this);
        tile->move(x, rowTop);
        auto* display = new CSegmentDisplay(tile);
        display->setGeometry(8, 10, 68, 32);
        display->SetSegmentColours(s.unlit, s.lit);
        display->SetTransparentMode(s.transparent);
        if (s.addStyle != 0)
            display->ChangeDisplayStyle(0, s.addStyle);
        display->SetDisplayText(QString::fromLatin1(s.text));
        SheetLabel(QString::fromLatin1(s.what), QRect(x + 90, rowTop, 96, 52), this)
            ->setWordWrap(true);
        if (++column == 3) {
            column = 0;
            rowTop += 58;
        }
    }
    return rowTop + (column ? 58 : 0);
}

int CControlSheet::AddSliderAndLabelRows(int top)
{
    AddHeading(top, QStringLiteral("CRulerSlider, CTransparentStatic"));
    top += 22;
    auto* dialog = new CImageTile(QImage(), this);
    dialog->setAutoFillBackground(true);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, kDialogColour);
    dialog->setPalette(palette);
    dialog->setGeometry(8, top, 420, 150);
    auto* horizontal = new CRulerSlider(false, dialog);
    horizontal->setGeometry(10, 10, 240, 26);
    horizontal->SetRulerRange(300, 1400);
    horizontal->SetLowLimit(540);
    horizontal->SetHighLimit(1260);
    auto* scaleFan = new CImageTile(m_library.Image(229), dialog);
    scaleFan->move(10, 48);
    auto* scaleTemp = new CImageTile(m_library.Image(230), dialog);
    scaleTemp->move(10, 74);
    auto* logo = new CImageTile(CSkinLogo(m_library.Image(224)).Rendered(), dialog);
    logo->move(10, 98);
    auto* tabs = new CImageTile(m_library.Image(223), dialog);
    tabs->move(190, 114);
    auto* vertical = new CRulerSlider(true, dialog);
    vertical->setGeometry(270, 10, 26, 130);
    vertical->SetRulerRange(0, 1270);
    vertical->SetLowLimit(200);
    vertical->SetHighLimit(900);

    // Labels over the face: the main window's green names and units.
    const QImage compact = m_library.Image(146);
    auto* face = new CImageTile(compact.copy(30, 46, 160, 96), this);
    face->move(440, top);
    struct LabelSample {
        const char* text;
        std::uint32_t style;
        QRect geometry;
    };
    const LabelSample labels[] = {
        {"VCore", 0x0000, QRect(8, 8, 70, 16)},
        {"RPM", 0x0001, QRect(8, 28, 70, 16)},
        {"CPU Temperature", 0x4000, QRect(8, 48, 70, 16)},
        {"CPU FAN speed", 0x0000, QRect(88, 8, 66, 32)},
    };
    for (const LabelSample& l : labels) {
        auto* label = new CTransparentStatic(l.style, face);
        label->setGeometry(l.geometry);
        label->SetTextColour(0x00FF00);
        label->SetText(QString::fromLatin1(l.text));
    }
    return top + 150;
}

QImage CControlSheet::Render()
{
    const QImage image = grab().toImage();
    return image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void CControlSheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kSheetColour);
}
