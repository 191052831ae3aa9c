#include "tools/kelvane-gallery/CGallerySubScreen.h"

#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinCaption.h"

#include <QCheckBox>
#include <QPainter>

#include <cmath>

namespace {

constexpr int kSlotX[] = {18, 118, 217};

// Sample items per area: name, value text, unit.
struct Sample {
    const char* name;
    const char* value;
};
constexpr Sample kVoltSamples[] = {{"VCore", "1.34"}, {"+3.3V", "3.31"}, {"+12V", "12.10"}};
constexpr Sample kFanSamples[] = {{"CPU FAN", "2812"}, {"SYSTEM FAN", "1745"}, {"POWER FAN", "OFF"}};
constexpr Sample kTempSamples[] = {{"CPU Temp", "48.5"}, {"SYSTEM Temp", "36.0"}, {"AUX Temp", "29.5"}};

}  // namespace

CGallerySubScreen::CGallerySubScreen(const CSkinLibrary& library, Area area, bool graph,
                                     QWidget* parent)
    : QWidget(parent), m_library(library), m_area(area), m_bGraph(graph)
{
    resize(324, 105);
    if (graph)
        BuildGraph();
    else
        BuildNumeric();
}

void CGallerySubScreen::BuildNumeric()
{
    const Sample* samples = m_area == Area::Voltage ? kVoltSamples
        : m_area == Area::Fan                       ? kFanSamples
                                                    : kTempSamples;
    const char* unit = m_area == Area::Voltage ? "V" : m_area == Area::Fan ? "RPM" : "C";
    const int unitX[] = {46, 147, 246};
    for (int i = 0; i < 3; ++i) {
        auto* lamp = new CSkinButton(&m_library, this);
        lamp->setObjectName(QStringLiteral("lamp%1").arg(i));
        lamp->move(kSlotX[i], 0);
        lamp->resize(30, 15);
        lamp->setEnabled(false);
        lamp->ApplySkin(193, 193, 194, 194, 0, 191, 0, 0, 0);

        auto* value = new CSegmentDisplay(this);
        value->setObjectName(QStringLiteral("value%1").arg(i));
        value->setGeometry(30 + 100 * i, 32, 60, 25);
        value->SetSegmentColours(0xFFFFFF, 0xFF0000);
        value->SetTransparentMode(true);
        value->ChangeDisplayStyle(0, 0x1C);
        value->SetDisplayText(QString::fromLatin1(samples[i].value));

        auto* unitLabel = new CTransparentStatic(0, this);
        unitLabel->setGeometry(unitX[i] - (m_area == Area::Fan ? 2 : 0), 61,
                               m_area == Area::Fan ? 36 : 30, 15);
        unitLabel->SetText(QString::fromLatin1(unit));

        auto* name = new CTransparentStatic(0, this);
        name->setGeometry(34 + 100 * i, 90, 61, 15);
        name->SetText(QString::fromLatin1(samples[i].name));
    }
    if (m_area == Area::Fan) {
        // A fan that is switched off: lamp off, black digits.
        findChild<CSkinButton*>(QStringLiteral("lamp2"))->ApplySkin(193, 193, 194, 192, 0, 191, 0, 0, 0);
        findChild<CSegmentDisplay*>(QStringLiteral("value2"))->SetSegmentColours(0xFFFFFF, 0x000000);
    }
}

void CGallerySubScreen::ShowAlarm()
{
    if (auto* lamp = findChild<CSkinButton*>(QStringLiteral("lamp1")))
        lamp->ApplySkin(193, 193, 194, 193, 0, 191, 0, 0, 0);
}

void CGallerySubScreen::BuildGraph()
{
    const QStringList names = m_area == Area::Voltage
        ? QStringList{"VCore", "VTT", "+3.3V", "+5V", "+12V", "-12V"}
        : m_area == Area::Fan ? QStringList{"CPU FAN", "SYSTEM FAN", "POWER FAN"}
                              : QStringList{"CPU Temp", "SYSTEM Temp", "AUX Temp"};
    // Line colours by item position: red, green, blue, magenta, cyan, yellow.
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow};
    for (int i = 0; i < names.size(); ++i) {
        auto* box = new QCheckBox(names.at(i), this);
        box->setGeometry(238, 10 + 14 * i, 70, 14);
        box->setChecked(true);
        QPalette palette = box->palette();
        palette.setColor(QPalette::WindowText, colours[i]);
        box->setPalette(palette);
        QFont font = box->font();
        font.setPixelSize(10);
        box->setFont(font);
    }
}

void CGallerySubScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int background = !m_bGraph                ? 195
        : m_area == Area::Voltage                   ? 248
        : m_area == Area::Fan                       ? 250
                                                    : 249;
    painter.drawImage(rect(), m_library.Image(background));
    // The panels' own captions, as the program draws them.
    if (!m_bGraph) {
        for (std::size_t i = 0; i < SkinCaption::kChannelCaptions.size(); ++i) {
            const SkinCaption::SPlace& place = SkinCaption::kChannelCaptions[i];
            SkinCaption::DrawPlace(painter, place, QString::fromLatin1(place.text).arg(i + 1));
        }
        return;
    }
    const SkinCaption::SPlace& caption = m_area == Area::Voltage ? SkinCaption::kVoltGraphCaption
                                         : m_area == Area::Fan   ? SkinCaption::kFanGraphCaption
                                                                 : SkinCaption::kTempGraphCaption;
    SkinCaption::DrawPlace(painter, caption, QString::fromLatin1(caption.text));
    // A sample strip chart where the program's chart sits: black, a grid
    // every 13 pixels in the panels' grid colour, a few traces.
    const QRect chart(55, 6, 180, 93);
    painter.fillRect(chart, Qt::black);
    painter.setPen(QColor(0x72, 0x2A, 0x0E));
    for (int x = chart.left() - 1 + 13; x < chart.right(); x += 13)
        painter.drawLine(x, chart.top(), x, chart.bottom());
    for (int y = chart.top() - 1 + 13; y < chart.bottom(); y += 13)
        painter.drawLine(chart.left(), y, chart.right(), y);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::magenta, Qt::cyan, Qt::yellow};
    const int lines = m_area == Area::Voltage ? 6 : 3;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int l = 0; l < lines; ++l) {
        painter.setPen(colours[l]);
        const double level = m_area == Area::Voltage ? (l + 1) * 12.0 : 25.0 + l * 18.0;
        int previous = -1;
        for (int x = chart.left(); x < chart.right(); x += 3) {
            const double wobble = std::sin((x + l * 37) * 0.09) * 2.5 + std::sin(x * 0.31 + l) * 1.2;
            const int y = chart.bottom() - int(level + wobble);
            if (previous >= 0)
                painter.drawLine(x - 3, previous, x, y);
            previous = y;
        }
    }
}
