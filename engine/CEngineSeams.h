// The process seams the engine is built on. Every object referred to must
// outlive the engine; the program directory is given without a trailing "/".
#pragma once

#include <string>

class CRegistryKey;
class IChipLock;
class IClock;
class ILibraryLoader;
class IMessageBox;
class IPowerOff;
class IPrivateProfile;

struct CEngineSeams {
    ILibraryLoader& loader;
    IChipLock& lock;
    IMessageBox& messageBox;
    IPrivateProfile& profile;
    CRegistryKey& registry;
    const IClock& clock;
    IPowerOff& powerOff;
    std::string programDirectory;
};
