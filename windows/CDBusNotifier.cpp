#include "windows/CDBusNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

CDBusNotifier::CDBusNotifier(QDBusConnection sessionBus, QString iconPath)
    : m_bus(std::move(sessionBus)), m_strIconPath(std::move(iconPath))
{
}

void CDBusNotifier::Notify(const QString& summary, const QString& body, bool critical)
{
    Send(QString(), 0, SContent{summary, body, critical, critical ? 0 : -1});
}

void CDBusNotifier::Show(const QString& key, const QString& summary, const QString& body, bool critical,
                         int expireMs)
{
    if (!m_bus.isConnected()) return;
    SKeyed& keyed = m_keyed[key];
    const SContent content{summary, body, critical, expireMs};
    keyed.withdrawPending = false;
    if (keyed.waiting) {
        keyed.pending = content;
        return;
    }
    Send(key, keyed.id, content);
}

void CDBusNotifier::Withdraw(const QString& key)
{
    const auto found = m_keyed.find(key);
    if (found == m_keyed.end()) return;
    SKeyed& keyed = found->second;
    if (keyed.waiting) {
        keyed.pending.reset();
        keyed.withdrawPending = true;
        return;
    }
    Close(keyed.id);
    m_keyed.erase(found);
}

uint CDBusNotifier::IdOf(const QString& key) const
{
    const auto found = m_keyed.find(key);
    return found == m_keyed.end() ? 0 : found->second.id;
}

void CDBusNotifier::Send(const QString& key, uint replacesId, const SContent& content)
{
    if (!m_bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService), QStringLiteral("Notify"));
    QVariantMap hints;
    // Urgency: 1 normal, 2 critical (kept on screen until dismissed).
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(content.critical ? 2 : 1));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("Kelvane"));
    call << QString::fromLatin1(kApplicationName) << replacesId << m_strIconPath << content.summary << content.body
         << QStringList() << hints << content.expireMs;
    // No auto-start: a desktop without a notification server gets nothing.
    call.setAutoStartService(false);
    const QDBusPendingCall pending = m_bus.asyncCall(call);
    if (key.isEmpty()) return;
    m_keyed[key].waiting = true;
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<uint> reply = *call;
        OnReply(key, reply.isValid() ? reply.value() : 0);
        call->deleteLater();
    });
}

void CDBusNotifier::OnReply(const QString& key, uint id)
{
    const auto found = m_keyed.find(key);
    if (found == m_keyed.end()) return;
    SKeyed& keyed = found->second;
    keyed.waiting = false;
    // No server answered: the next Show starts afresh.
    if (id != 0) keyed.id = id;
    if (keyed.withdrawPending) {
        Close(keyed.id);
        m_keyed.erase(found);
        return;
    }
    if (keyed.pending) {
        const SContent content = *keyed.pending;
        keyed.pending.reset();
        Send(key, keyed.id, content);
    }
}

void CDBusNotifier::Close(uint id)
{
    if (id == 0 || !m_bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kService),
                                                       QStringLiteral("CloseNotification"));
    call << id;
    call.setAutoStartService(false);
    m_bus.asyncCall(call);
}
