#include "app/CComputerName.h"

#include <unistd.h>

#include <climits>

#include "platform/CRegistryKey.h"

std::string CComputerName::Read(const CRegistryKey& localMachine)
{
    std::string name;
    if (!localMachine.ReadText(kKey, kValue, name)) return {};
    return name;
}

bool CComputerName::Record(CRegistryKey& localMachine, std::string_view name)
{
    return localMachine.WriteText(kKey, kValue, name);
}

std::string CComputerName::HostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}
