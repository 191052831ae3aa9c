#include "PanelProgram.h"

#include <dlfcn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

fs::path BuildProgramDirectory()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

}  // namespace

void* CPanelLibraryLoader::Open(const std::string& name)
{
    return ::dlopen((m_directory + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* CPanelLibraryLoader::Symbol(void* handle, const char* name)
{
    return handle ? ::dlsym(handle, name) : nullptr;
}

void CPanelLibraryLoader::Close(void* handle)
{
    if (handle)
        ::dlclose(handle);
}

PanelProgram::PanelProgram(const std::string& inputs, std::string (*editDefaults)(std::string))
    : loader(dir.Path())
{
    const fs::path build = BuildProgramDirectory();
    for (const fs::directory_entry& entry : fs::directory_iterator(build)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("W83") && name.ends_with(".ini"))
            fs::copy_file(entry.path(), dir.File(name));
    }
    std::string defaults = CTempDir::Read((build / "def.ini").string());
    if (editDefaults)
        defaults = editDefaults(defaults);
    CTempDir::Write(dir.File("def.ini"), defaults);
    fs::copy_file(build / "libWbcdflsh.so", dir.File("libWbcdflsh.so"));
    fs::copy(build / "skin", dir.File("skin"), fs::copy_options::recursive);
    CTempDir::Write(dir.File("simchip.ini"), "[Chip]\nModel=W83782D\n[Inputs]\n" + inputs + "\n");
    registry = std::make_unique<CRegistryKey>(dir.File("registry.db"), kHkeyLocalMachine);
    skin = std::make_unique<CSkinLibrary>(CSkinLibrary::SkinDirectory(QString::fromStdString(dir.Path())));

    engine = std::make_unique<CHardwareMonitor>(
        CEngineSeams{loader, lock, messageBox, profile, *registry, clock, powerOff, dir.Path()});
    engine->SetUseDefaultFiles(true);
    engine->SetUsePreferenceFile(false);
    engine->SetPaths("");
    started = engine->StartMonitoring();
    engine->UpdateAll();
}

PanelProgram::~PanelProgram() = default;

int PanelProgram::SimCtl(const std::string& arguments) const
{
    const std::string command = (BuildProgramDirectory() / "kelvane-simctl").string() + " --dir '" + dir.Path() +
                                "' " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void PanelProgram::Set(const std::string& assignments)
{
    if (SimCtl("set " + assignments) != 0)
        throw std::runtime_error("kelvane-simctl set " + assignments + " failed");
    engine->UpdateAll();
}

std::string DisableInDefaults(std::string text, const std::string& section)
{
    const size_t start = text.find("[" + section + "]");
    if (start == std::string::npos)
        return text;
    const size_t enable = text.find("\nEnable=1", start);
    if (enable != std::string::npos)
        text.replace(enable + 1, 8, "Enable=0");
    return text;
}
