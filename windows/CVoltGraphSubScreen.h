// The voltage graph: voltage items 1..6, plotted as tenths of a volt on a
// range of 1..140 (0.1 V to 14 V).
#pragma once

#include "windows/CGraphSubScreen.h"

class CVoltGraphSubScreen : public CGraphSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 155;
    static constexpr int kBackgroundId = 248;
    static constexpr int kItemCount = 6;
    static constexpr int kMaximum = 140;

    explicit CVoltGraphSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

protected:
    int GraphIndex(int index) const override;
    // A rail that reads 0 or less (a negative rail) cannot be drawn on the
    // chart's range: its box is cleared and disabled.
    void AdjustTakenBox(const SItem& item, CColourCheckBox& box) const override;
    // Left as the template has it.
    void AdjustLeftOutBox(CColourCheckBox&) const override {}
    std::optional<int> Point(const SItem& item) const override;
};
