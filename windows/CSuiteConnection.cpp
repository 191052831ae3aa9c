#include "windows/CSuiteConnection.h"

#include <QTimerEvent>

#include <utility>

#include "windows/CCaptionTranslator.h"
#include "windows/CSuiteItemsDlg.h"
#include "windows/CSuiteLinkWatcher.h"
#include "windows/CUserPreferences.h"

namespace {
constexpr const char* kItemsSection = "Dravik Manager Items";
}

CSuiteConnection::CSuiteConnection(const ISuiteItemView& items, CRegistryKey& registry,
                                   CSuiteTransport::Options options, const CUserPreferences& prefs)
    : m_prefs(prefs), m_transport(registry, std::move(options)), m_reporter(items, m_transport, kApplicationName)
{
}

CSuiteConnection::~CSuiteConnection() = default;

bool CSuiteConnection::Start(const std::function<std::string()>& cpuClock)
{
    // The endpoint is bound before the suite learns this program's id, so
    // that its first choice of readings cannot arrive at nobody.
    if (m_transport.Listen()) m_pWatcher = std::make_unique<CSuiteLinkWatcher>(m_transport, m_reporter);
    if (!m_transport.FindSuiteWindow()) return false;
    // The processor clock is read only when there is someone to send it to.
    if (!m_reporter.Start(cpuClock ? cpuClock() : std::string())) return false;
    m_timer.start(kPeriodMs, this);
    return true;
}

void CSuiteConnection::SendNextReading() { m_reporter.SendNextReading(m_prefs.m_bCentigrade); }

void CSuiteConnection::OpenItems(QWidget* parent, const IPrivateProfile& profile, const std::string& languageFile)
{
    CSuiteItemsDlg dialog(m_reporter.SendList(), parent);
    CCaptionTranslator::TranslateTree(profile, languageFile, dialog, kItemsSection);
    dialog.exec();
}

void CSuiteConnection::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        SendNextReading();
    else
        QObject::timerEvent(event);
}
