// A private D-Bus daemon for one test, started with the session
// configuration and stopped (by its own process id) at the end, so service
// tests never touch the user's buses.
#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <functional>

class CPrivateBus {
public:
    CPrivateBus()
    {
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty()) return;
        m_daemon.start(program, {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        if (!m_daemon.waitForStarted(5000)) return;
        if (!m_daemon.waitForReadyRead(5000)) return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~CPrivateBus()
    {
        for (const QString& name : m_connections) QDBusConnection::disconnectFromBus(name);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    bool IsRunning() const { return !m_address.isEmpty(); }

    // A new connection of this process to the private bus.
    QDBusConnection Connect(const QString& name)
    {
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }
    void Disconnect(const QString& name)
    {
        m_connections.removeAll(name);
        QDBusConnection::disconnectFromBus(name);
    }

    // Runs the event loop until done() or five seconds have passed.
    static bool SpinUntil(const std::function<bool()>& done)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > 5000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        return true;
    }

    static void SpinFor(int milliseconds)
    {
        QElapsedTimer timer;
        timer.start();
        SpinUntil([&] { return timer.elapsed() >= milliseconds; });
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
