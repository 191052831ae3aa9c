// The one Qt application object a test suite needs for widgets, timers and
// D-Bus connections. Created on first use and kept for the whole run.
#pragma once

#include <QApplication>

inline QCoreApplication& QtTestApplication()
{
    if (QCoreApplication* existing = QCoreApplication::instance()) return *existing;
    static int argc = 1;
    static char name[] = "kelvane-tests";
    static char* argv[] = {name, nullptr};
    // Kept reachable until exit on purpose: destroying the application while
    // other statics still refer to it is not safe.
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}
