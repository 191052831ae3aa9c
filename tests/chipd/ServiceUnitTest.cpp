// The installed unit confines the service: the directives it must carry,
// a descriptor limit that fits the connection caps, and, where systemd's
// own tools are at hand, an exposure of at most 2.0 as they rate it.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tools/kelvane-chipd/CChipSocketServer.h"
#include "tools/kelvane-chipd/CChipdConfig.h"

namespace {

std::string Unit() {
    std::ifstream file(KELVANE_CHIPD_UNIT);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(ServiceUnit, CarriesTheConfinementDirectivesAndAFittingDescriptorLimit) {
    const std::string unit = Unit();
    ASSERT_FALSE(unit.empty()) << KELVANE_CHIPD_UNIT;
    for (const char* line : {"CapabilityBoundingSet=CAP_SYS_RAWIO", "NoNewPrivileges=yes",
                             "SystemCallFilter=@system-service ioperm", "ProtectKernelTunables=yes",
                             "ProtectKernelModules=yes", "ProtectControlGroups=yes", "ProtectProc=invisible",
                             "PrivateMounts=yes", "RestrictAddressFamilies=AF_UNIX", "MemoryDenyWriteExecute=yes",
                             "LockPersonality=yes", "RuntimeDirectory=kelvane", "RuntimeDirectoryPreserve=yes",
                             "ProtectSystem=strict", "PrivateNetwork=yes", "DevicePolicy=closed"}) {
        EXPECT_NE(unit.find(std::string("\n") + line + "\n"), std::string::npos) << line;
    }
    const size_t at = unit.find("\nLimitNOFILE=");
    ASSERT_NE(at, std::string::npos);
    const size_t limit = std::stoul(unit.substr(at + 13));
    const CChipdConfig defaults;
    EXPECT_GE(limit, static_cast<size_t>(defaults.maxConnections) + CChipSocketServer::kReservedDescriptors + 32);
    // The journal lives where the unit keeps a directory across restarts.
    EXPECT_EQ(defaults.journalPath.rfind("/run/kelvane/", 0), 0u);
}

TEST(ServiceUnit, SystemdRatesItsExposureAtMostTwo) {
    if (std::system("command -v systemd-analyze >/dev/null 2>&1") != 0) GTEST_SKIP() << "no systemd-analyze here";
    const std::string command =
        std::string("systemd-analyze security --offline=yes --no-pager '") + KELVANE_CHIPD_UNIT + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof(buffer), pipe)) output.append(buffer, n);
    ::pclose(pipe);
    const size_t at = output.find("Overall exposure level for ");
    ASSERT_NE(at, std::string::npos) << output;
    const size_t colon = output.find(": ", at);
    const double exposure = std::stod(output.substr(colon + 2));
    EXPECT_LE(exposure, 2.0) << output;
}
