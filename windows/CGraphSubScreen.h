// A graph sub-screen: a strip chart with one line per item and, beside it,
// one check box per item in the line's colour that shows or hides the line.
// The main window calls Tick on every monitoring tick, shown or not, so the
// chart is current whenever the panel is shown.
#pragma once

#include "skin/SkinColour.h"
#include "windows/CSubScreenPanel.h"
#include "windows/ISubScreenHost.h"

#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class CColourCheckBox;
class CStripChart;
class CTransparentStatic;
class QGroupBox;

class CGraphSubScreen : public CSubScreenPanel {
    Q_OBJECT

public:
    static constexpr int kFirstCheckBoxId = 1018;
    static constexpr int kGroupBoxId = 1179;
    static constexpr std::array<int, 4> kScaleLabelIds{1117, 1050, 1051, 1052};
    static constexpr Colorref kGridColour = 0x0E2A72;
    // Line colours by item position: red, green, blue, magenta, cyan, yellow.
    // The blue is a light one: pure blue stands at 2.4:1 against the black
    // chart, below the 3:1 a line needs to be read.
    static constexpr std::array<Colorref, 6> kLineColours{0x0000FF, 0x00FF00, 0xFF8D4D,
                                                          0xFF00FF, 0xFFFF00, 0x00FFFF};
    // Where the chart sits (right and bottom exclusive).
    static constexpr int kChartLeft = 55;
    static constexpr int kChartTop = 6;
    static constexpr int kChartRight = 235;
    static constexpr int kChartBottom = 99;
    // The main window ticks the graphs every 2.5 s: the chart's time scale.
    static constexpr double kSecondsPerTick = 2.5;

    // What sets one panel of this kind apart from the others.
    struct Design {
        int dialogId;
        int backgroundId;
        int itemCount;
        int checkBoxCount;
        // The check box the template hides (its index), or -1.
        int hiddenCheckBox;
        int maximum;
        QStringList captions;
        // The area's word at the left edge.
        SkinCaption::SPlace caption;
    };

    ~CGraphSubScreen() override;

    // Builds the lines of the items the panel takes, sets up their check
    // boxes, creates the chart and draws it empty. Once, after construction;
    // later calls do nothing.
    void Setup();
    // Adds the current reading of every item whose box is checked and
    // scrolls the chart.
    void Tick();

    CStripChart& Chart() const { return *m_pChart; }
    int ItemCount() const { return m_design.itemCount; }
    // The check box of item index (0-based); null outside the panel's boxes.
    CColourCheckBox* CheckBox(int index) const;
    // The chart line of item index, or -1 when the item has none.
    int LineOfItem(int index) const;
    QGroupBox* GroupBox() const { return m_pGroupBox; }
    // Scale label i (0-based, of kScaleLabelIds).
    CTransparentStatic* ScaleLabel(int index) const { return m_scaleLabels.at(static_cast<size_t>(index)); }

protected:
    CGraphSubScreen(ISubScreenHost& host, const Design& design, QWidget* parent);

    using SItem = ISubScreenHost::SItem;
    // The engine index of the panel's item index (0-based).
    virtual int GraphIndex(int index) const = 0;
    // The voltage and temperature graphs take an item that is on.
    virtual bool TakesItem(const SItem& item) const;
    // Further rules for the box of an item the panel takes.
    virtual void AdjustTakenBox(const SItem& item, CColourCheckBox& box) const = 0;
    // The fan and temperature graphs hide the box of an item they leave out.
    virtual void AdjustLeftOutBox(CColourCheckBox& box) const = 0;
    // The point the item's current reading adds, if any.
    virtual std::optional<int> Point(const SItem& item) const = 0;
    // The scale printed at the chart's top, middle and bottom when it
    // changes with the user's choices; empty: the background carries it.
    virtual QStringList ScaleTexts() const { return {}; }

private:
    void OnCheckBoxClicked(int index, bool checked);
    void ShowScale();

    Design m_design;
    CStripChart* m_pChart = nullptr;
    QGroupBox* m_pGroupBox = nullptr;
    std::vector<CColourCheckBox*> m_checkBoxes;
    std::vector<int> m_lineOfItem;
    std::array<CTransparentStatic*, 4> m_scaleLabels{};
};
