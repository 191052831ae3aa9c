// The temperature graph: temperature items 1..3, plotted as half degrees
// Celsius on a range of 1..180 (0.5 to 90 degrees). The scale is printed in
// the user's unit over the same range, so a change of unit leaves the
// samples already drawn where they are.
#pragma once

#include "windows/CGraphSubScreen.h"

class CTempGraphSubScreen : public CGraphSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 208;
    static constexpr int kBackgroundId = 249;
    static constexpr int kItemCount = 3;
    static constexpr int kMaximum = 180;

    explicit CTempGraphSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

protected:
    int GraphIndex(int index) const override;
    void AdjustTakenBox(const SItem&, CColourCheckBox&) const override {}
    void AdjustLeftOutBox(CColourCheckBox& box) const override;
    std::optional<int> Point(const SItem& item) const override;
    QStringList ScaleTexts() const override;
};
