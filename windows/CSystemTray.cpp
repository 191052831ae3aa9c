#include "windows/CSystemTray.h"

#include "windows/CTrayGeometry.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

STrayRect ToTrayRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QRect ToQRect(const STrayRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CSystemTray::CSystemTray(ITrayHost& host, AnimationSwitch animationsOn, QObject* parent)
    : QObject(parent), m_host(host), m_animationsOn(std::move(animationsOn)), m_menu(std::make_unique<QMenu>())
{
    BuildMenu();
    ApplyDefaultItem();
    m_host.SetMouseHandler([this](ITrayHost::Mouse message) { HandleTrayMessage(m_nId, message); });
    m_host.SetTrayStartHandler([this] { ReAddTrayIcon(); });
}

CSystemTray::~CSystemTray()
{
    StopFlight();
    m_host.SetMouseHandler({});
    m_host.SetTrayStartHandler({});
    DeleteTrayIcon();
}

void CSystemTray::BuildMenu()
{
    const auto add = [this](const char* text, int command) {
        QAction* action = m_menu->addAction(QString::fromLatin1(text));
        action->setData(command);
        connect(action, &QAction::triggered, this, [this, command] { emit Command(command); });
    };
    add("&Show", kShow);
    add("&Minimize", kMinimize);
    add("&History", kHistory);
    m_menu->addSeparator();
    add("&About", kAbout);
    m_menu->addSeparator();
    add("&Exit", kExit);
}

void CSystemTray::TranslateMenu(const std::function<QString(const QString&)>& translation)
{
    for (QAction* action : m_menu->actions())
        if (!action->isSeparator()) action->setText(translation(action->text()));
}

QStringList CSystemTray::MenuTexts() const
{
    QStringList texts;
    for (const QAction* action : m_menu->actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

std::string CSystemTray::CutToBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return std::string(text);
    std::size_t end = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the
    // character that would be split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return std::string(text.substr(0, end));
}

bool CSystemTray::AddTrayIcon(QWidget* target, const QIcon& icon, std::string_view tooltip, unsigned id, bool hidden,
                              const std::optional<Balloon>& balloon)
{
    m_bEnabled = true;
    m_target = target;
    m_icon = icon;
    m_nId = id;
    m_strTooltip = FromUtf8(CutToBytes(tooltip, kTooltipBytes));

    if (hidden) {
        m_bHidden = true;
        m_bRemoved = true;
        m_bReAdd = false;
        return true;
    }

    const bool added = m_host.Add(m_icon, m_strTooltip);
    m_bHidden = !added;
    m_bRemoved = !added;
    m_bReAdd = true;
    // The balloon belongs to this add only; a re-add does not show it again.
    if (added && balloon && !balloon->text.empty()) {
        m_host.ShowBalloon(FromUtf8(CutToBytes(balloon->title, kBalloonTitleBytes)),
                           FromUtf8(CutToBytes(balloon->text, kBalloonTextBytes)), balloon->iconKind,
                           balloon->timeoutSeconds * 1000);
    }
    return added;
}

void CSystemTray::SetIcon(const QIcon& icon, std::string_view tooltip)
{
    m_icon = icon;
    m_strTooltip = FromUtf8(CutToBytes(tooltip, kTooltipBytes));
    if (m_bEnabled && !m_bRemoved) m_host.Update(m_icon, m_strTooltip);
}

QIcon CSystemTray::AlarmVariant(const QIcon& icon)
{
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) sizes = {QSize(16, 16), QSize(22, 22), QSize(32, 32), QSize(48, 48)};
    QIcon alarm;
    for (const QSize& size : sizes) {
        QPixmap pixmap = icon.pixmap(size);
        if (pixmap.isNull()) continue;
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = std::max<qreal>(7.0, pixmap.width() * 0.55);
        const QRectF badge(pixmap.width() - side, pixmap.height() - side, side, side);
        painter.setPen(QPen(QColor(0x20, 0x00, 0x00), std::max<qreal>(1.0, side / 12)));
        painter.setBrush(QColor(0xE0, 0x1B, 0x24));
        painter.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));
        // The exclamation mark: a bar and a dot.
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        const qreal w = side / 6.5;
        const QPointF c = badge.center();
        painter.drawRoundedRect(QRectF(c.x() - w / 2, badge.top() + side * 0.18, w, side * 0.42), w / 2, w / 2);
        painter.drawEllipse(QPointF(c.x(), badge.top() + side * 0.76), w * 0.6, w * 0.6);
        painter.end();
        alarm.addPixmap(pixmap);
    }
    return alarm;
}

bool CSystemTray::DeleteTrayIcon()
{
    m_bReAdd = false;
    if (!m_bEnabled || m_bRemoved) return true;
    if (m_host.Remove()) {
        m_bRemoved = true;
        m_bHidden = true;
    }
    return m_bRemoved;
}

bool CSystemTray::ReAddTrayIcon()
{
    if (!m_bEnabled || !m_bReAdd) return false;
    const bool added = m_host.Add(m_icon, m_strTooltip);
    m_bHidden = !added;
    m_bRemoved = !added;
    return added;
}

QAction* CSystemTray::FindMenuItem(int item, bool byPosition) const
{
    const QList<QAction*> actions = m_menu->actions();
    if (byPosition) {
        if (item < 0 || item >= actions.size() || actions[item]->isSeparator()) return nullptr;
        return actions[item];
    }
    for (QAction* action : actions)
        if (!action->isSeparator() && action->data().toInt() == item) return action;
    return nullptr;
}

bool CSystemTray::SetDefaultMenuItem(int item, bool byPosition)
{
    if (item == m_nDefaultItem && byPosition == m_bDefaultByPosition) return true;
    if (!FindMenuItem(item, byPosition)) return false;
    m_nDefaultItem = item;
    m_bDefaultByPosition = byPosition;
    ApplyDefaultItem();
    return true;
}

void CSystemTray::ApplyDefaultItem()
{
    QAction* chosen = FindMenuItem(m_nDefaultItem, m_bDefaultByPosition);
    m_menu->setDefaultAction(chosen);
    // Styles differ in how they mark the default action; the bold font marks
    // it everywhere.
    for (QAction* action : m_menu->actions()) {
        QFont font = action->font();
        font.setBold(action == chosen);
        action->setFont(font);
    }
}

int CSystemTray::DefaultCommand() const
{
    const QAction* action = FindMenuItem(m_nDefaultItem, m_bDefaultByPosition);
    return action ? action->data().toInt() : 0;
}

int CSystemTray::HandleTrayMessage(unsigned id, ITrayHost::Mouse message)
{
    if (id != m_nId || !m_bEnabled) return 0;
    QWidget* target = m_target.data();
    if (!target) return 0;

    switch (message) {
    case ITrayHost::Mouse::RightButtonUp:
        // Not blocking: the chosen action arrives as its Command signal; the
        // menu closes by itself on a click elsewhere.
        m_menu->popup(QCursor::pos());
        break;
    case ITrayHost::Mouse::LeftButtonDoubleClick:
        if (target->isVisible()) {
            target->raise();
            target->activateWindow();
        }
        if (const int command = DefaultCommand()) emit Command(command);
        break;
    case ITrayHost::Mouse::LeftButtonUp:
    case ITrayHost::Mouse::MiddleButtonUp:
        break;
    }
    return 1;
}

bool CSystemTray::IsMinimiseAnimationOn()
{
    // Wayland lets no client place a window at screen coordinates, so the
    // stand-in could not fly there.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return false;
    return QApplication::isEffectEnabled(Qt::UI_General);
}

bool CSystemTray::DetachFromTaskbar(QWidget& window)
{
    window.hide();
    return true;
}

QRect CSystemTray::FindTrayRect(const QRect& iconGeometry, const QRect& screen, const QRect& availableGeometry)
{
    CTrayGeometry::Desktop desktop;
    if (iconGeometry.isValid() && !iconGeometry.isEmpty())
        desktop.taskbarWindow = CTrayGeometry::TaskbarWindow{ToTrayRect(iconGeometry), {}};
    desktop.taskbarPosition = CTrayGeometry::TaskbarFromScreen(ToTrayRect(screen), ToTrayRect(availableGeometry));
    desktop.workArea = ToTrayRect(availableGeometry);
    return ToQRect(CTrayGeometry::FindTrayRect(desktop));
}

QRect CSystemTray::FindTrayRect(const QWidget* window) const
{
    const QScreen* screen = window ? window->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    return FindTrayRect(m_host.IconGeometry(), screenRect, available);
}

bool CSystemTray::IsAnimating() const { return m_flight && m_flight->state() == QAbstractAnimation::Running; }

void CSystemTray::StopFlight()
{
    if (m_flight) {
        m_flight->stop();
        delete m_flight.data();
    }
    if (m_ghost) delete m_ghost.data();
}

void CSystemTray::FlyRect(const QRect& from, const QRect& to, QWidget& window, bool showAtEnd)
{
    // A borderless stand-in with the window's picture flies while the window
    // itself stays hidden, as the desktop's own minimise animation looks.
    auto* ghost = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                          Qt::X11BypassWindowManagerHint);
    ghost->setAttribute(Qt::WA_TransparentForMouseEvents);
    ghost->setAttribute(Qt::WA_ShowWithoutActivating);
    ghost->setScaledContents(true);
    ghost->setPixmap(window.grab());
    ghost->setGeometry(from);
    ghost->show();

    auto* flight = new QPropertyAnimation(ghost, "geometry", ghost);
    flight->setDuration(kAnimationMs);
    flight->setStartValue(from);
    flight->setEndValue(to);
    flight->setEasingCurve(QEasingCurve::InOutQuad);
    QPointer<QWidget> landing(&window);
    connect(flight, &QPropertyAnimation::finished, this, [this, ghost, landing, showAtEnd] {
        ghost->deleteLater();
        if (showAtEnd && landing) Reveal(*landing);
    });
    m_ghost = ghost;
    m_flight = flight;
    flight->start();
}

void CSystemTray::Reveal(QWidget& window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}

bool CSystemTray::AnimateToTray(QWidget& window)
{
    StopFlight();
    if (m_animationsOn && m_animationsOn() && window.isVisible())
        FlyRect(window.frameGeometry(), FindTrayRect(&window), window, false);
    return DetachFromTaskbar(window);
}

bool CSystemTray::AnimateFromTray(QWidget& window)
{
    StopFlight();
    if (m_animationsOn && m_animationsOn()) {
        FlyRect(FindTrayRect(&window), window.frameGeometry(), window, true);
        return true;
    }
    Reveal(window);
    return true;
}

QIcon CSystemTray::IconFromImage(const QImage& image)
{
    if (!image.isNull())
        return QIcon(QPixmap::fromImage(image));
    // A plain stand-in: the program's initial on a dark rounded square.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1F, 0x3A, 0x5F));
    painter.setPen(QPen(QColor(0x7F, 0xC8, 0xFF), 2));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("K"));
    painter.end();
    return QIcon(pixmap);
}
