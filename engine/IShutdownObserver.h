// Told by the engine about its forced power-off, so that the program can
// record it: the request for an item whose shutdown time has run out (before
// the request goes out), and a refusal of that request.
#pragma once

#include <string>

class CSensorItem;

class IShutdownObserver {
public:
    virtual ~IShutdownObserver() = default;
    // Once per shutdown episode, just before the first request goes out.
    virtual void PowerOffRequested(const CSensorItem& item) = 0;
    // Once per episode, after the first refused request; reason as the
    // power-off seam gives it (may be empty).
    virtual void PowerOffRefused(const CSensorItem& item, const std::string& reason) = 0;
};
