// IDesktopNotifier over org.freedesktop.Notifications on the session bus.
// The call never waits for the server: the monitoring tick must not stall on
// a desktop service. With no bus or no server the notification is dropped.
#pragma once

#include <QDBusConnection>

#include "windows/IDesktopNotifier.h"

class CDBusNotifier : public IDesktopNotifier {
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kApplicationName = "Kelvane";

    // iconPath: an image file shown with the notification; may be empty.
    explicit CDBusNotifier(QDBusConnection sessionBus, QString iconPath = {});

    void Notify(const QString& summary, const QString& body, bool critical) override;

private:
    QDBusConnection m_bus;
    QString m_strIconPath;
};
