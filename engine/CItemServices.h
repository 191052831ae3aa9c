// The process services a sensor item works with: the profile store for
// descriptor and settings files, the registry for the Default and Preference
// keys, and the clock of the shutdown timer. All outlive the items.
#pragma once

class CRegistryKey;
class IClock;
class IPrivateProfile;

struct CItemServices {
    IPrivateProfile& profile;
    CRegistryKey& registry;
    const IClock& clock;
};
