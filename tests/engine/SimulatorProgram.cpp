#include "SimulatorProgram.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string BuildProgramDirectory() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

void* CDirectoryLibraryLoader::Open(const std::string& name) {
    if (m_missing) return nullptr;
    return ::dlopen((m_directory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* CDirectoryLibraryLoader::Symbol(void* handle, const char* name) {
    return handle ? ::dlsym(handle, name) : nullptr;
}

void CDirectoryLibraryLoader::Close(void* handle) {
    if (handle) ::dlclose(handle);
}

SimulatorProgram::SimulatorProgram(const std::string& model, const std::string& extraChip, const std::string& inputs)
    : loader(m_dir.Path()) {
    const fs::path build = BuildProgramDirectory();
    for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("W83") && name.ends_with(".ini")) fs::copy_file(entry.path(), m_dir.File(name));
    }
    fs::copy_file(build / "def.ini", m_dir.File("def.ini"));
    fs::copy_file(build / "libWbcdflsh.so", m_dir.File("libWbcdflsh.so"));
    CTempDir::Write(m_dir.File("simchip.ini"),
                    "[Chip]\nModel=" + model + "\n" + extraChip + "\n[Inputs]\n" + inputs + "\n");
    registry = std::make_unique<CRegistryKey>(m_dir.File("registry.db"), kHkeyLocalMachine);
}

CEngineSeams SimulatorProgram::Seams() {
    return CEngineSeams{loader, lock, messageBox, profile, *registry, clock, powerOff, m_dir.Path()};
}

std::unique_ptr<CHardwareMonitor> SimulatorProgram::StartEngine(bool* started) {
    auto engine = std::make_unique<CHardwareMonitor>(Seams());
    engine->SetUseDefaultFiles(true);
    engine->SetUsePreferenceFile(false);
    engine->SetPaths("");
    const bool ok = engine->StartMonitoring();
    if (started) *started = ok;
    return engine;
}

int SimulatorProgram::SimCtl(const std::string& arguments) const {
    const std::string command =
        BuildProgramDirectory() + "/kelvane-simctl --dir '" + m_dir.Path() + "' " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SimulatorProgram::CopySkin() const {
    fs::copy(fs::path(BuildProgramDirectory()) / "skin", m_dir.File("skin"), fs::copy_options::recursive);
}
