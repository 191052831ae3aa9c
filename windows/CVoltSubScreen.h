// The numeric voltage sub-screen: the three voltage items chosen for it in
// the Display Setting dialog, in volts with two decimals.
#pragma once

#include "windows/CNumericSubScreen.h"

class CVoltSubScreen : public CNumericSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 190;
    static constexpr int kTimerId = 3;

    explicit CVoltSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

protected:
    int SlotIndex(int slot) const override;
    QString UnitText() const override;
    QString ValueText(const SItem& item) const override;
};
