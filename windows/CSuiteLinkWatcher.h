// Hands the datagrams that reach the main window's link endpoint to the
// reporter as they arrive, on the user-interface thread.
#pragma once

#include <QObject>

class QSocketNotifier;
class CSuiteReporter;
class CSuiteTransport;

class CSuiteLinkWatcher : public QObject {
    Q_OBJECT
public:
    // The transport must be listening; both must outlive the watcher.
    CSuiteLinkWatcher(CSuiteTransport& transport, CSuiteReporter& reporter, QObject* parent = nullptr);

signals:
    // After a batch of datagrams was taken in, with how many were accepted
    // (so that an open items dialog or a test can follow the choice).
    void PacketsReceived(int accepted);

private:
    CSuiteReporter& m_reporter;
    QSocketNotifier* m_notifier = nullptr;
};
