#include "windows/CGraphSubScreen.h"

#include "windows/NameFit.h"

#include "skin/CTransparentStatic.h"
#include "windows/CChartLine.h"
#include "windows/CColourCheckBox.h"
#include "windows/CStripChart.h"

#include <QGroupBox>

namespace {

constexpr QRect kGroupBoxRect(236, 0, 74, 100);
constexpr int kCheckBoxX = 238;
constexpr int kCheckBoxTop = 10;
constexpr int kCheckBoxStep = 14;
constexpr QSize kCheckBoxSize(70, 14);

// The scale's print, as the tick marks' captions of the panel backgrounds.
constexpr Colorref kScaleColour = 0xBFB4A9;
constexpr int kScalePixels = 7;
constexpr std::array<QRect, 3> kScaleRects{QRect(18, 2, 31, 10), QRect(18, 47, 31, 10), QRect(18, 93, 31, 10)};

}  // namespace

CGraphSubScreen::CGraphSubScreen(ISubScreenHost& host, const Design& design, QWidget* parent)
    : CSubScreenPanel(host, design.dialogId, design.backgroundId, parent)
    , m_design(design)
    , m_lineOfItem(static_cast<size_t>(design.itemCount), -1)
{
    SetCaptionPlaces({design.caption});
    // The frame around the boxes is part of the background bitmap; the group
    // box only gathers them.
    m_pGroupBox = new QGroupBox(this);
    SetControlId(m_pGroupBox, kGroupBoxId);
    m_pGroupBox->setGeometry(kGroupBoxRect);
    m_pGroupBox->setFlat(true);
    m_pGroupBox->setStyleSheet(QStringLiteral("QGroupBox { border: none; background: transparent; }"));

    for (int i = 0; i < design.checkBoxCount; ++i) {
        auto* box = new CColourCheckBox(design.captions.value(i), this);
        SetControlId(box, kFirstCheckBoxId + i);
        box->setGeometry(QRect(QPoint(kCheckBoxX, kCheckBoxTop + kCheckBoxStep * i), kCheckBoxSize));
        box->setVisible(i != design.hiddenCheckBox);
        connect(box, &QAbstractButton::clicked, this, [this, i](bool checked) { OnCheckBoxClicked(i, checked); });
        m_checkBoxes.push_back(box);
    }

    // The scale labels of the template stay hidden at the left edge unless
    // the panel prints its own scale: then they take the places of the
    // background's tick marks (chart top, middle and bottom).
    for (size_t i = 0; i < kScaleLabelIds.size(); ++i) {
        auto* label = new CTransparentStatic(SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, this);
        SetControlId(label, kScaleLabelIds[i]);
        label->setGeometry(0, static_cast<int>(i) * 26, 40, 12);
        label->SetTextColour(kScaleColour);
        QFont font = label->font();
        font.setPixelSize(kScalePixels);
        label->setFont(font);
        label->hide();
        m_scaleLabels[i] = label;
    }

    m_pChart = new CStripChart(this);
}

CGraphSubScreen::~CGraphSubScreen() = default;

CColourCheckBox* CGraphSubScreen::CheckBox(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_checkBoxes.size()))
        return nullptr;
    return m_checkBoxes[static_cast<size_t>(index)];
}

int CGraphSubScreen::LineOfItem(int index) const
{
    if (index < 0 || index >= m_design.itemCount)
        return -1;
    return m_lineOfItem[static_cast<size_t>(index)];
}

bool CGraphSubScreen::TakesItem(const SItem& item) const
{
    return item.enabled;
}

void CGraphSubScreen::Setup()
{
    // A second call would give every item a second line.
    if (m_pChart->IsCreated())
        return;
    for (int i = 0; i < m_design.itemCount; ++i) {
        SItem read;
        const SItem* item = Host().ReadItem(GraphIndex(i), read) ? &read : nullptr;
        CColourCheckBox* box = CheckBox(i);
        if (!item || !box)
            continue;
        // An input the chip lacks has neither a line nor a box.
        if (!item->present) {
            box->hide();
            continue;
        }
        if (!TakesItem(*item)) {
            AdjustLeftOutBox(*box);
            continue;
        }
        const Colorref colour = kLineColours[static_cast<size_t>(i)];
        const QString name = QString::fromStdString(item->name);
        m_lineOfItem[static_cast<size_t>(i)] = m_pChart->AddLine(name, colour, 1, 1, m_design.maximum);
        box->SetTextColour(colour);
        box->setText(name);
        // A name the legend has to cut short shows whole on hover.
        box->setToolTip(NameFit::Fits(NameFit::FittingFont(box->font(), name, box->width() - 16, 8), name,
                                      box->width() - 16)
                            ? QString()
                            : name);
        box->setChecked(item->enabled);
        AdjustTakenBox(*item, *box);
    }

    m_pChart->Create(SChartRect{kChartLeft, kChartTop, kChartRight, kChartBottom}, this, CStripChart::kControlId);
    m_pChart->SetSecondsPerScroll(kSecondsPerTick);
    for (int i = 0; i < m_pChart->LineCount(); ++i) {
        CChartLine* line = m_pChart->Line(i);
        line->SetPen(line->Colour(), 1);
        line->SetVisible(true);
    }
    m_pChart->SetGridColour(kGridColour);
    ShowScale();
}

void CGraphSubScreen::ShowScale()
{
    const QStringList texts = ScaleTexts();
    for (int i = 0; i < static_cast<int>(kScaleRects.size()) && i < texts.size(); ++i) {
        CTransparentStatic* label = m_scaleLabels[static_cast<size_t>(i)];
        if (label->Text() == texts[i] && !label->isHidden())
            continue;
        label->setGeometry(kScaleRects[static_cast<size_t>(i)]);
        label->SetText(texts[i]);
        label->show();
    }
}

void CGraphSubScreen::OnCheckBoxClicked(int index, bool checked)
{
    if (CChartLine* line = m_pChart->Line(LineOfItem(index)))
        line->SetVisible(checked);
}

void CGraphSubScreen::Tick()
{
    for (int i = 0; i < m_design.itemCount; ++i) {
        const int line = LineOfItem(i);
        const CColourCheckBox* box = CheckBox(i);
        if (line < 0 || !box || !box->isChecked())
            continue;
        SItem read;
        const SItem* item = Host().ReadItem(GraphIndex(i), read) ? &read : nullptr;
        if (!item)
            continue;
        if (const std::optional<int> point = Point(*item))
            m_pChart->AddPoint(line, *point);
    }
    m_pChart->Scroll();
    // The user may have changed the unit since the last tick.
    ShowScale();
}
