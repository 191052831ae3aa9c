// The facts of the real machine for the choice of access path: the chip
// service's socket (named by client/chipclient.ini beside the client build),
// the hwmon devices under a sysfs root, the effective user, /proc/ioports
// under a proc root, which builds of the access library lie beside the
// simulator build, and, as root only, a read of the vendor bytes through the
// port-I/O build.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/IAccessProbes.h"
#include "platform/ILibraryLoader.h"

class CSystemAccessProbes : public IAccessProbes {
public:
    // The hwmon devices under a sysfs root ("/sys").
    using HwmonLister = std::function<std::vector<CHwmonChipFact>(const std::string& sysfsRoot)>;

    // libraryDirectory: where the simulator build lies (the other builds are
    // in their folders beside it). loader opens the port-I/O build by its
    // full path.
    CSystemAccessProbes(std::string libraryDirectory, std::string sysfsRoot, std::string procRoot,
                        ILibraryLoader& loader, HwmonLister hwmon = ListHwmonChips);

    std::string ServiceSocket() const override;
    CServiceAnswer AskService() override;
    std::vector<CHwmonChipFact> HwmonChips() override;
    bool IsRoot() override;
    std::vector<CPortClaim> PortClaims() override;
    bool HasBuild(AccessPath path) override;
    bool ChipAtPorts(std::string& problem) override;

    static std::vector<CHwmonChipFact> ListHwmonChips(const std::string& sysfsRoot);
    // The build of a path: directory/folder/libWbcdflsh.so.
    static std::string BuildPath(const std::string& libraryDirectory, AccessPath path);

private:
    std::string m_libraryDirectory;
    std::string m_sysfsRoot;
    std::string m_procRoot;
    ILibraryLoader& m_loader;
    HwmonLister m_hwmon;
};
