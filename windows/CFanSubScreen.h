// The numeric fan sub-screen: fan items 1..3, in revolutions per minute.
#pragma once

#include "windows/CNumericSubScreen.h"

class CFanSubScreen : public CNumericSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 196;
    static constexpr int kTimerId = 4;

    explicit CFanSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

protected:
    int SlotIndex(int slot) const override;
    QString UnitText() const override;
    QString ValueText(const SItem& item) const override;
    // The fan panel refreshes on any of its timer ticks.
    bool HandlesTimer(int) const override { return true; }
};
