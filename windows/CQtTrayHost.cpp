#include "windows/CQtTrayHost.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

CQtTrayHost::CQtTrayHost(QDBusConnection sessionBus, QObject* parent)
    : QObject(parent), m_bus(std::move(sessionBus))
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CQtTrayHost::OnActivated);

    m_availabilityPoll.setSingleShot(true);
    connect(&m_availabilityPoll, &QTimer::timeout, this, [this] {
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            SchedulePoll();
            return;
        }
        OnTrayStarted();
    });

    if (m_bus.isConnected()) {
        m_watcher = new QDBusServiceWatcher(QString::fromLatin1(kWatcherService), m_bus,
                                            QDBusServiceWatcher::WatchForRegistration, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { OnTrayStarted(); });
    }
}

CQtTrayHost::~CQtTrayHost() { m_icon.hide(); }

int CQtTrayHost::NextPollMs(qint64 msSinceFailedAdd)
{
    return msSinceFailedAdd < kFastPollSpanMs ? kAvailabilityPollMs : kSlowAvailabilityPollMs;
}

void CQtTrayHost::StartPolling()
{
    // A poll already running keeps its pace: repeated failed adds (every
    // tray start that finds no area) must not bring the fast polls back.
    if (m_availabilityPoll.isActive()) return;
    m_sinceFailedAdd.start();
    SchedulePoll();
}

void CQtTrayHost::SchedulePoll() { m_availabilityPoll.start(NextPollMs(m_sinceFailedAdd.elapsed())); }

bool CQtTrayHost::IsAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool CQtTrayHost::Add(const QIcon& icon, const QString& tooltip)
{
    if (!IsAvailable()) {
        m_icon.hide();
        StartPolling();
        return false;
    }
    m_availabilityPoll.stop();
    m_statusNotifierHost = IsStatusNotifierHostRunning();
    // The tooltip follows the readings on every tick; the icon changes only
    // with the alarm state, and setting it anew makes some trays redraw.
    if (m_icon.icon().cacheKey() != icon.cacheKey()) m_icon.setIcon(icon);
    if (m_icon.toolTip() != tooltip) m_icon.setToolTip(tooltip);
    // Hiding first makes a shown icon register with the (new) host again.
    m_icon.hide();
    m_icon.show();
    return m_icon.isVisible();
}

void CQtTrayHost::Update(const QIcon& icon, const QString& tooltip)
{
    // The tooltip follows the readings on every tick; the icon changes only
    // with the alarm state, and setting it anew makes some trays redraw.
    if (m_icon.icon().cacheKey() != icon.cacheKey()) m_icon.setIcon(icon);
    if (m_icon.toolTip() != tooltip) m_icon.setToolTip(tooltip);
}

bool CQtTrayHost::Remove()
{
    m_availabilityPoll.stop();
    m_icon.hide();
    return !m_icon.isVisible();
}

void CQtTrayHost::ShowBalloon(const QString& title, const QString& text, int iconKind, int milliseconds)
{
    if (!m_icon.isVisible()) return;
    const auto kind = (iconKind >= 0 && iconKind <= 3) ? static_cast<QSystemTrayIcon::MessageIcon>(iconKind)
                                                       : QSystemTrayIcon::NoIcon;
    m_icon.showMessage(title, text, kind, milliseconds);
}

QRect CQtTrayHost::IconGeometry() const { return m_icon.isVisible() ? m_icon.geometry() : QRect(); }

ITrayHost::Mouse CQtTrayHost::MouseFromActivation(QSystemTrayIcon::ActivationReason reason, bool statusNotifierHost)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        return Mouse::RightButtonUp;
    case QSystemTrayIcon::DoubleClick:
        return Mouse::LeftButtonDoubleClick;
    case QSystemTrayIcon::Trigger:
        return statusNotifierHost ? Mouse::LeftButtonDoubleClick : Mouse::LeftButtonUp;
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return Mouse::MiddleButtonUp;
}

void CQtTrayHost::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (m_mouseHandler) m_mouseHandler(MouseFromActivation(reason, m_statusNotifierHost));
}

void CQtTrayHost::OnTrayStarted()
{
    if (m_trayStartHandler) m_trayStartHandler();
}

bool CQtTrayHost::IsStatusNotifierHostRunning() const
{
    if (!m_bus.isConnected() || !m_bus.interface()) return false;
    return m_bus.interface()->isServiceRegistered(QString::fromLatin1(kWatcherService)).value();
}
