// The engine's reading episodes as kelvane-cli reports them: one line on
// standard error at the start and at the end of each, so the readings on
// standard output stay a table or JSON lines. Remembers whether any reading
// of an enabled item failed, for the exit status.
#pragma once

#include <ostream>

#include "engine/IReadingObserver.h"

class CCliReadingLog : public IReadingObserver {
public:
    explicit CCliReadingLog(std::ostream& err) : m_err(err) {}

    void ReadingFailed(const CSensorItem& item) override;
    void ReadingRestored(const CSensorItem& item) override;
    void FanNotConnected(const CSmartFanItem& fan) override;
    void FanConnected(const CSmartFanItem& fan) override;
    void FanHeldAtFullDuty(const CSmartFanItem& fan) override;
    void FanReleased(const CSmartFanItem& fan) override;

    bool AnyReadingFailed() const { return m_anyFailed; }

private:
    std::ostream& m_err;
    bool m_anyFailed = false;
};
