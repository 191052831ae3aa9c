// Test double of the power-off: counts the requests and powers nothing off.
// It accepts every request unless told to refuse.
#pragma once

#include <string>

#include "platform/IPowerOff.h"

class CRecordingPowerOff : public IPowerOff {
public:
    bool PowerOff() override {
        ++m_requests;
        return m_accept;
    }
    std::string RefusalText() const override { return m_accept ? std::string() : m_refusal; }
    int Requests() const { return m_requests; }
    void Refuse(std::string reason) {
        m_accept = false;
        m_refusal = std::move(reason);
    }
    void Accept() { m_accept = true; }

private:
    int m_requests = 0;
    bool m_accept = true;
    std::string m_refusal;
};
