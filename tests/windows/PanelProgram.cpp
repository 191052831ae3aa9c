#include "PanelProgram.h"

#include <stdexcept>

PanelProgram::PanelProgram(const std::string& inputs, std::string (*editDefaults)(std::string))
    : SimulatorProgram("W83782D", "", inputs)
{
    // The engine is not started yet, so the edited defaults are the ones it loads.
    if (editDefaults)
        CTempDir::Write(m_dir.File("def.ini"), editDefaults(CTempDir::Read(m_dir.File("def.ini"))));
    CopySkin();
    skin = std::make_unique<CSkinLibrary>(CSkinLibrary::SkinDirectory(QString::fromStdString(Directory())));

    engine = StartEngine(&started);
    engine->UpdateAll();
}

PanelProgram::~PanelProgram() = default;

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
