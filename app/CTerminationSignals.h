// The termination signals of a desktop session (SIGTERM at log-out or
// shutdown, SIGHUP when the terminal goes, SIGINT from Ctrl+C, SIGQUIT from
// Ctrl+\) end the
// program the ordinary way: through the event loop, so that the main window
// saves the preferences and the engine puts the chip's registers back. Left
// to their default action they would end the process on the spot, with the
// chip still set up for monitoring.
//
// The handler only writes the signal's number into a socket pair; the event
// loop reads it and emits terminationRequested.
#pragma once

#include <QObject>

#include <csignal>
#include <vector>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handler for each signal. Only one object may hold the
    // handlers at a time; a second one installs nothing (IsInstalled false).
    explicit CTerminationSignals(std::vector<int> signalNumbers = {SIGINT, SIGTERM, SIGHUP, SIGQUIT},
                                 QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~CTerminationSignals() override;

    bool IsInstalled() const { return m_installed; }
    // True from the first signal caught until the installed object goes;
    // safe to ask from a wait that keeps the event loop from running.
    static bool IsRequested();

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void OnReadable();

    std::vector<int> m_signals;
    std::vector<struct sigaction> m_previous;
    int m_sockets[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
    bool m_installed = false;
};
