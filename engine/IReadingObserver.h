// Told by the engine, once per episode, about readings a front end must put
// on record: an item whose reading failed and read again, a fan that read no
// speed at the start (not monitored) and turned later, and a Smart Fan fan
// held at full duty for want of a true reading and released again. Called
// from UpdateAll, after the items were read.
#pragma once

class CSensorItem;
class CSmartFanItem;

class IReadingObserver {
public:
    virtual ~IReadingObserver() = default;
    virtual void ReadingFailed(const CSensorItem&) {}
    virtual void ReadingRestored(const CSensorItem&) {}
    virtual void FanNotConnected(const CSmartFanItem&) {}
    virtual void FanConnected(const CSmartFanItem&) {}
    virtual void FanHeldAtFullDuty(const CSmartFanItem&) {}
    virtual void FanReleased(const CSmartFanItem&) {}
};
