// What the window tells the user of the session beyond the wells: the
// shut-down countdown box while an item's shut-down timer runs (with its
// own one-second beat between ticks), and the desktop notices of the
// snapshot's events (power-off requested or refused, a fan not monitored, an
// alert mail not sent, a history message).
#pragma once

#include <QBasicTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "app/CSessionSnapshot.h"

class CAlarmPresenter;
class CShutdownCountdown;
class IClock;

class CSessionNotices : public QObject {
public:
    static constexpr int kCountdownPeriodMs = 1000;
    using Translate = std::function<QString(const char*)>;

    // alarms: the notifier and the values' text. clock: the engine's.
    CSessionNotices(const CAlarmPresenter& alarms, const IClock& clock, Translate tr);
    ~CSessionNotices() override;

    // The box; its cancelled signal is the user's Cancel.
    CShutdownCountdown& Countdown() const { return *m_pCountdown; }
    // The box for the snapshot shown now: the item whose shut-down timer
    // runs out first, counted on the engine's clock from the snapshot; none
    // dismisses it.
    void UpdateCountdown(std::shared_ptr<const CSessionSnapshot> snapshot);
    void ApplyEvents(const CSessionSnapshot& snapshot);
    // The beat stops (the window ends).
    void Stop() { m_timer.stop(); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void UpdateCountdown();

    const CAlarmPresenter& m_alarms;
    const IClock& m_clock;
    Translate m_tr;
    std::unique_ptr<CShutdownCountdown> m_pCountdown;
    std::shared_ptr<const CSessionSnapshot> m_snapshot;
    QBasicTimer m_timer;
};
