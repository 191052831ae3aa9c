// The link with Dravik Manager: the endpoint bound at start, the suite's
// window looked for once, and while it was found a reading sent on every
// beat of timer 2 (3000 ms), one item of the send list at a time.
#pragma once

#include <QBasicTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <string>

#include "windows/CSuiteReporter.h"
#include "windows/CSuiteTransport.h"

class CRegistryKey;
class ISuiteItemView;
class CSuiteLinkWatcher;
class CUserPreferences;
class IPrivateProfile;
class QWidget;

class CSuiteConnection : public QObject {
public:
    static constexpr int kPeriodMs = 3000;
    // The name the program reports itself under.
    static constexpr const char* kApplicationName = "kelvane";

    // items: where the readings come from, read on this thread (the
    // latest snapshot, never the chip); everything referred to must outlive
    // the link.
    CSuiteConnection(const ISuiteItemView& items, CRegistryKey& registry, CSuiteTransport::Options options,
                     const CUserPreferences& prefs);
    ~CSuiteConnection() override;

    // Binds the endpoint, then looks for the suite; with the suite found,
    // tells it this program (with the processor clock, asked only then) and
    // starts the beat. True when the suite was found and the link started.
    bool Start(const std::function<std::string()>& cpuClock);
    void Stop() { m_timer.stop(); }
    // One beat: the next reading.
    void SendNextReading();
    bool IsReporting() const { return m_timer.isActive(); }

    // The items sent to the suite, modal over parent, captions from the
    // language file.
    void OpenItems(QWidget* parent, const IPrivateProfile& profile, const std::string& languageFile);

    const CSuiteReporter& Reporter() const { return m_reporter; }
    const CSuiteTransport& Transport() const { return m_transport; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    const CUserPreferences& m_prefs;
    CSuiteTransport m_transport;
    CSuiteReporter m_reporter;
    std::unique_ptr<CSuiteLinkWatcher> m_pWatcher;
    QBasicTimer m_timer;
};
