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
#include "windows/IHistoryWindow.h"

class CUserPreferences;
class IMessageBox;
class QPushButton;
class QWidget;

class CHistoryButtons {
public:
    // The areas in the face's order.
    static constexpr int kAreaCount = 3;

    // The buttons are made hidden, children of face. historyFile: the file
    // the window reads, asked when it is first made; prefs: the unit;
    // windows: makes the window; messageBox: says why it could not.
    CHistoryButtons(QWidget& face, std::function<std::string()> historyFile, const CUserPreferences& prefs,
                    HistoryWindowFactory windows, IMessageBox& messageBox);
    ~CHistoryButtons();

    void SetVisible(bool shown);
    // The captions in the user's language.
    void Translate(const std::function<QString(const char*)>& tr);
    // area: 0 voltage, 1 fan, 2 temperature.
    QPushButton* Button(int area) const;

    // The history window, brought up (made once) with the readings of one
    // kind or, without one, as it was left (temperatures when new). When it
    // cannot be made, a message box says why and nothing else happens.
    void Open(std::optional<CReadingSnapshot::Kind> kind = std::nullopt);
    IHistoryWindow* Window() const { return m_pWindow.get(); }

private:
    std::function<std::string()> m_historyFile;
    const CUserPreferences& m_prefs;
    HistoryWindowFactory m_windows;
    IMessageBox& m_messageBox;
    std::array<QPushButton*, kAreaCount> m_buttons{};
    std::unique_ptr<IHistoryWindow> m_pWindow;
};
