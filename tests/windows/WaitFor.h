// Runs the event loop until a condition holds or the time is up.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

template <typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 5000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() >= timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}
