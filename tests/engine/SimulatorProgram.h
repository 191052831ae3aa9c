// A private program directory on the chip simulator: a copy of the simulator
// library (so its chip state lives in this directory only), the descriptor
// files and the board defaults, with every seam of the engine filled by a
// test double except the access library itself. The real power-off is never
// reachable from here.
#pragma once

#include <memory>
#include <string>

#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
#include "platform/CCountingChipLock.h"
#include "platform/CManualClock.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "platform/CRecordingPowerOff.h"
#include "platform/CRegistryKey.h"
#include "platform/ILibraryLoader.h"
#include "support/CTempDir.h"

// The directory of the running test program (the build's program directory).
std::string BuildProgramDirectory();

// Opens the library of a given directory by its full path, whatever bare name
// is asked for.
class CDirectoryLibraryLoader : public ILibraryLoader {
public:
    explicit CDirectoryLibraryLoader(std::string directory) : m_directory(std::move(directory)) {}
    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override;
    void Close(void* handle) override;
    void SetMissing(bool missing) { m_missing = missing; }

private:
    std::string m_directory;
    bool m_missing = false;
};

class SimulatorProgram {
public:
    // model: a simulator model name ("W83782D", "W83785R", "0x30") for
    // simchip.ini; extra lines go into its [Chip] section.
    explicit SimulatorProgram(const std::string& model = "W83782D", const std::string& extraChip = "",
                              const std::string& inputs = "");

    const std::string& Directory() const { return m_dir.Path(); }
    CEngineSeams Seams();
    // An engine on this directory, with the main window's switches and
    // paths, started.
    std::unique_ptr<CHardwareMonitor> StartEngine(bool* started = nullptr);
    // Runs kelvane-simctl of the build on this directory; its exit status.
    int SimCtl(const std::string& arguments) const;
    // Copies the skin the build draws into this directory, for the windows
    // that paint with it.
    void CopySkin() const;

    CTempDir m_dir;
    CDirectoryLibraryLoader loader;
    CCountingChipLock lock;
    CRecordingMessageBox messageBox;
    CPrivateProfile profile;
    std::unique_ptr<CRegistryKey> registry;
    CManualClock clock;
    CRecordingPowerOff powerOff;
};
