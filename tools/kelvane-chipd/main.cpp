// kelvane-chipd: the privileged chip service. It owns the monitor chip and
// serves register operations to members of its group over a Unix socket, so
// that no Kelvane window or tool has to run as root. See docs/chip-service.md.
#include <grp.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CAccessOptions.h"
#include "tools/kelvane-chipd/CBackendChoice.h"
#include "tools/kelvane-chipd/CChipService.h"
#include "tools/kelvane-chipd/CChipSocketServer.h"
#include "tools/kelvane-chipd/CChipdConfig.h"
#include "tools/kelvane-chipd/CPeerGroupCheck.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) { g_stop = 1; }

int Fail(const std::string& problem) {
    std::fprintf(stderr, "kelvane-chipd: %s\n", problem.c_str());
    return 1;
}

bool GroupId(const std::string& name, gid_t& gid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
    gid = found->gr_gid;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string configPath = CChipdConfig::kDefaultPath;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const CAccessOptions access = CAccessOptions::Take(arguments, false);
    if (!access.error.empty()) return Fail(access.error);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--config" && i + 1 < arguments.size()) {
            configPath = arguments[++i];
        } else if (argument.rfind("--config=", 0) == 0) {
            configPath = argument.substr(9);
        } else {
            std::fprintf(stderr, "usage: kelvane-chipd [--config FILE] [--sysfs-root DIR]\n");
            return 2;
        }
    }

    CChipdConfig config;
    std::string problem;
    if (!config.Load(configPath, problem)) return Fail(configPath + ": " + problem);
    if (!access.sysfsRoot.empty()) {
        config.sysfsRoot = access.sysfsRoot;
        // The hwmon build of the access library reads it from there.
        ::setenv(kSysfsRootVariable, access.sysfsRoot.c_str(), 1);
    }
    gid_t gid = 0;
    if (!GroupId(config.group, gid)) return Fail("no such group: " + config.group);

    CBackendChoice choice(config);
    std::unique_ptr<IChipBackend> backend = choice.Choose();
    if (!backend) return Fail("no chip to serve: " + choice.Problem());

    const CRequestPolicy policy(choice.SharedWithDriver());
    CChipService service(*backend, policy);
    if (!service.Start()) return Fail(backend->Describe() + ": the chip does not answer the vendor value 0x5CA3");

    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    ::sigaction(SIGTERM, &stop, nullptr);
    ::sigaction(SIGINT, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const CPeerGroupCheck peers(gid, config.root);
    CChipSocketServer server(service, peers);
    if (!server.Listen(config.socketPath, problem)) return Fail(problem);
    std::fprintf(stderr, "kelvane-chipd: chip 0x%02x on %s%s, for group %s\n", service.ChipId(),
                 backend->Describe().c_str(), policy.ReadOnly() ? " (shared read-only beside a driver)" : "",
                 config.group.c_str());
    server.Run(g_stop);
    service.RestoreAsFound();
    return 0;
}
