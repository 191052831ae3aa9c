// A write pass of a profile store for the lifetime of a scope, or until End.
#pragma once

#include "platform/IPrivateProfile.h"

class CProfileWritePass {
public:
    explicit CProfileWritePass(IPrivateProfile& profile) : m_profile(&profile) { m_profile->BeginWritePass(); }
    ~CProfileWritePass() { End(); }
    CProfileWritePass(const CProfileWritePass&) = delete;
    CProfileWritePass& operator=(const CProfileWritePass&) = delete;

    // Ends the pass now: false when a file could not be written.
    bool End()
    {
        if (!m_profile) return true;
        IPrivateProfile* profile = m_profile;
        m_profile = nullptr;
        return profile->EndWritePass();
    }

private:
    IPrivateProfile* m_profile;
};
