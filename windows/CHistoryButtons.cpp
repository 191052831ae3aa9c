#include "windows/CHistoryButtons.h"

#include <QPushButton>
#include <QWidget>

#include <chrono>

#include "windows/CHistoryWindow.h"
#include "windows/CUserPreferences.h"

CHistoryButtons::CHistoryButtons(QWidget& face, std::function<std::string()> historyFile,
                                 const CUserPreferences& prefs)
    : m_historyFile(std::move(historyFile)), m_prefs(prefs)
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
        m_pWindow = std::make_unique<CHistoryWindow>(m_historyFile(), !m_prefs.m_bCentigrade, [] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count());
        });
    } else {
        m_pWindow->Reload();
    }
    if (kind)
        m_pWindow->ChooseKind(*kind);
    else if (fresh)
        m_pWindow->ChooseKind(CReadingSnapshot::Kind::kTemperature);
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
}
