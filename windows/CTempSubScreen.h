// The numeric temperature sub-screen: temperature items 1..3, in degrees
// Celsius or Fahrenheit as the main window's unit says.
#pragma once

#include "windows/CNumericSubScreen.h"

class CTempSubScreen : public CNumericSubScreen {
    Q_OBJECT

public:
    static constexpr int kDialogId = 197;
    static constexpr int kTimerId = 2;

    explicit CTempSubScreen(ISubScreenHost& host, QWidget* parent = nullptr);

    // The unit labels follow the main window's unit at once; the values
    // follow at the next tick.
    void SetUnitLetters();

protected:
    int SlotIndex(int slot) const override;
    QString UnitText() const override;
    QString ValueText(const SItem& item) const override;
};
