#include "windows/CSuiteLinkWatcher.h"

#include "windows/CSuiteReporter.h"
#include "windows/CSuiteTransport.h"

#include <QSocketNotifier>

CSuiteLinkWatcher::CSuiteLinkWatcher(CSuiteTransport& transport, CSuiteReporter& reporter, QObject* parent)
    : QObject(parent), m_reporter(reporter)
{
    if (transport.ReceiveFd() < 0)
        return;
    m_notifier = new QSocketNotifier(transport.ReceiveFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        const int accepted = m_reporter.ReceivePending();
        emit PacketsReceived(accepted);
    });
}
