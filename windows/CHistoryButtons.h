// The expanded face's History buttons, one beside each area's Detail button
// (voltage, fan, temperature), and the history window they bring up.
#pragma once

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "history/CReadingSnapshot.h"

class CHistoryWindow;
class CUserPreferences;
class QPushButton;
class QWidget;

class CHistoryButtons {
public:
    // The areas in the face's order.
    static constexpr int kAreaCount = 3;

    // The buttons are made hidden, children of face. historyFile: the file
    // the window reads, asked when it is first made; prefs: the unit.
    CHistoryButtons(QWidget& face, std::function<std::string()> historyFile, const CUserPreferences& prefs);
    ~CHistoryButtons();

    void SetVisible(bool shown);
    // The captions in the user's language.
    void Translate(const std::function<QString(const char*)>& tr);
    // area: 0 voltage, 1 fan, 2 temperature.
    QPushButton* Button(int area) const;

    // The history window, brought up (made once) with the readings of one
    // kind or, without one, as it was left (temperatures when new).
    void Open(std::optional<CReadingSnapshot::Kind> kind = std::nullopt);
    CHistoryWindow* Window() const { return m_pWindow.get(); }

private:
    std::function<std::string()> m_historyFile;
    const CUserPreferences& m_prefs;
    std::array<QPushButton*, kAreaCount> m_buttons{};
    std::unique_ptr<CHistoryWindow> m_pWindow;
};
