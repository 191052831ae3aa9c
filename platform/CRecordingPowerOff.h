// Test double of the power-off: counts the requests and powers nothing off.
#pragma once

#include "platform/IPowerOff.h"

class CRecordingPowerOff : public IPowerOff {
public:
    bool PowerOff() override {
        ++m_requests;
        return true;
    }
    int Requests() const { return m_requests; }

private:
    int m_requests = 0;
};
