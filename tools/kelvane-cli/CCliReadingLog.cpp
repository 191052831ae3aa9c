#include "tools/kelvane-cli/CCliReadingLog.h"

#include "engine/CSmartFanItem.h"

void CCliReadingLog::ReadingFailed(const CSensorItem& item) {
    m_anyFailed = true;
    m_err << "kelvane-cli: " << item.SectionName() << " " << item.Name() << ": the reading failed" << std::endl;
}

void CCliReadingLog::ReadingRestored(const CSensorItem& item) {
    m_err << "kelvane-cli: " << item.SectionName() << " " << item.Name() << ": read again" << std::endl;
}

void CCliReadingLog::FanNotConnected(const CSmartFanItem& fan) {
    m_err << "kelvane-cli: " << fan.Name() << " reads no speed at start: not monitored" << std::endl;
}

void CCliReadingLog::FanConnected(const CSmartFanItem& fan) {
    m_err << "kelvane-cli: " << fan.Name() << " reads a speed: monitored again" << std::endl;
}

void CCliReadingLog::FanHeldAtFullDuty(const CSmartFanItem& fan) {
    m_err << "kelvane-cli: " << fan.Name() << " at full duty: " << CSmartFanItem::HoldReasonText(fan.HeldFor())
          << std::endl;
}

void CCliReadingLog::FanReleased(const CSmartFanItem& fan) {
    m_err << "kelvane-cli: " << fan.Name() << " follows Smart Fan again" << std::endl;
}
