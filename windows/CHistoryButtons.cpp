#include "windows/CHistoryButtons.h"

#include <QPushButton>
#include <QWidget>

#include "platform/IMessageBox.h"
#include "windows/CUserPreferences.h"

CHistoryButtons::CHistoryButtons(QWidget& face, std::function<std::string()> historyFile,
                                 const CUserPreferences& prefs, HistoryWindowFactory windows,
                                 IMessageBox& messageBox)
    : m_historyFile(std::move(historyFile)), m_prefs(prefs), m_windows(std::move(windows)), m_messageBox(messageBox)
{
    using Kind = CReadingSnapshot::Kind;
    // Beside each area's Detail button, in the face's own colours.
    const std::pair<Kind, int> places[] = {{Kind::kVoltage, 181}, {Kind::kFan, 301}, {Kind::kTemperature, 421}};
    for (int area = 0; area < kAreaCount; ++area) {
        const auto [kind, y] = places[area];
        auto* button = new QPushButton(QStringLiteral("History"), &face);
        button->setObjectName(QStringLiteral("history-%1").arg(area));
        button->setToolTip(QStringLiteral("The history of these readings"));
        button->setGeometry(228, y, 52, 16);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral(
            "QPushButton { background: #161b21; color: #8fe3b0; border: 1px solid #34404c; border-radius: 7px;"
            " font-size: 9px; font-weight: 600; padding: 0 4px; }"
            "QPushButton:hover { border-color: #3ce07c; color: #3ce07c; }"
            "QPushButton:focus { border-color: #ffb000; }"));
        button->hide();
        QObject::connect(button, &QPushButton::clicked, button, [this, kind = kind] { Open(kind); });
        m_buttons[static_cast<std::size_t>(area)] = button;
    }
}

CHistoryButtons::~CHistoryButtons() = default;

void CHistoryButtons::SetVisible(bool shown)
{
    for (QPushButton* button : m_buttons)
        if (button) button->setVisible(shown);
}

void CHistoryButtons::Translate(const std::function<QString(const char*)>& tr)
{
    for (QPushButton* button : m_buttons) {
        if (!button) continue;
        button->setText(tr("History"));
        button->setToolTip(tr("The history of these readings"));
    }
}

QPushButton* CHistoryButtons::Button(int area) const
{
    return area >= 0 && area < kAreaCount ? m_buttons[static_cast<std::size_t>(area)] : nullptr;
}

void CHistoryButtons::Open(std::optional<CReadingSnapshot::Kind> kind)
{
    const bool fresh = !m_pWindow;
    if (fresh) {
        std::string error = "The history window is not part of this build.";
        if (m_windows) m_pWindow = m_windows(m_historyFile(), !m_prefs.m_bCentigrade, error);
        if (!m_pWindow) {
            m_messageBox.Show(error, "Kelvane", MessageBoxStyle::kOk | MessageBoxStyle::kIconError);
            return;
        }
    } else {
        m_pWindow->Reload();
    }
    if (kind)
        m_pWindow->ChooseKind(*kind);
    else if (fresh)
        m_pWindow->ChooseKind(CReadingSnapshot::Kind::kTemperature);
    QWidget& window = m_pWindow->Widget();
    window.show();
    window.raise();
    window.activateWindow();
}
