// A read pass of a profile store for the lifetime of a scope.
#pragma once

#include "platform/IPrivateProfile.h"

class CProfileReadPass {
public:
    explicit CProfileReadPass(const IPrivateProfile& profile) : m_profile(profile) { m_profile.BeginReadPass(); }
    ~CProfileReadPass() { m_profile.EndReadPass(); }
    CProfileReadPass(const CProfileReadPass&) = delete;
    CProfileReadPass& operator=(const CProfileReadPass&) = delete;

private:
    const IPrivateProfile& m_profile;
};
