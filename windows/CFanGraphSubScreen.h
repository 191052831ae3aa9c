// The fan graph: fan items 1..3, plotted as fiftieths of their speed on a
// range of 1..210 (50 to 10500 revolutions per minute).
#pragma once

#include "windows/CGraphSubScreen.h"

class CFanGraphSubScreen : public CGraphSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 209;
    static constexpr int kBackgroundId = 250;
    static constexpr int kItemCount = 3;
    static constexpr int kMaximum = 210;

    explicit CFanGraphSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

protected:
    int GraphIndex(int index) const override;
    // A fan that is off now but on by default (one the engine found standing
    // still, for instance) keeps its line, with its box cleared and disabled.
    bool TakesItem(const SItem& item) const override;
    void AdjustTakenBox(const SItem& item, CColourCheckBox& box) const override;
    void AdjustLeftOutBox(CColourCheckBox& box) const override;
    std::optional<int> Point(const SItem& item) const override;
};
