// IDesktopNotifier over org.freedesktop.Notifications on the session bus.
// The call never waits for the server: the monitoring tick must not stall on
// a desktop service. With no bus or no server the notification is dropped.
//
// A keyed notification learns its server id from the asynchronous reply of
// its first Notify; a replacement or a withdrawal asked for before that reply
// is held and sent when the id arrives, so one key never leaves two bubbles.
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <optional>

#include "windows/IDesktopNotifier.h"

class CDBusNotifier : public QObject, public IDesktopNotifier {
    Q_OBJECT

public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kApplicationName = "Kelvane";

    // iconPath: an image file shown with the notification; may be empty.
    explicit CDBusNotifier(QDBusConnection sessionBus, QString iconPath = {});

    void Notify(const QString& summary, const QString& body, bool critical) override;
    void Show(const QString& key, const QString& summary, const QString& body, bool critical, int expireMs) override;
    void Withdraw(const QString& key) override;

    // The server's id of a keyed notification, 0 while unknown.
    uint IdOf(const QString& key) const;

private:
    struct SContent {
        QString summary, body;
        bool critical = false;
        int expireMs = -1;
    };
    struct SKeyed {
        uint id = 0;
        bool waiting = false;             // a Notify's reply is still to come
        std::optional<SContent> pending;  // asked for while waiting
        bool withdrawPending = false;
    };

    // Sends one Notify; with a key, its reply gives the key its id.
    void Send(const QString& key, uint replacesId, const SContent& content);
    void Close(uint id);
    void OnReply(const QString& key, uint id);

    QDBusConnection m_bus;
    QString m_strIconPath;
    std::map<QString, SKeyed> m_keyed;
};
