#include "windows/CDBusNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

CDBusNotifier::CDBusNotifier(QDBusConnection sessionBus, QString iconPath)
    : m_bus(std::move(sessionBus)), m_strIconPath(std::move(iconPath))
{
}

void CDBusNotifier::Notify(const QString& summary, const QString& body, bool critical)
{
    if (!m_bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    QVariantMap hints;
    // Urgency: 1 normal, 2 critical (kept on screen until dismissed).
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(critical ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("Kelvane"));
    call << QString::fromLatin1(kApplicationName) << 0u << m_strIconPath << summary << body << QStringList()
         << hints << (critical ? 0 : -1);
    // No auto-start: a desktop without a notification server gets nothing.
    call.setAutoStartService(false);
    m_bus.asyncCall(call);
}
