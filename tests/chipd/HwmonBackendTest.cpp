// kelvane-chipd with Backend=hwmon on a generated sysfs tree: the protocol
// served through the driver's files, what is refused, and every attribute
// put back as found when the last client goes and when the service stops.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/CTempDir.h"
#include "tests/accesslib/CHwmonFixture.h"
#include "tools/kelvane-chipd/CBackendChoice.h"
#include "tools/kelvane-chipd/CChipService.h"
#include "tools/kelvane-chipd/CHwmonBackend.h"

using namespace ChipFrame;

namespace {

struct ServiceOnTree {
    explicit ServiceOnTree(const std::string& chip) : sysfs(dir.Path() + "/sys") {
        sysfs.AddChip(chip, 5);
        config.root = dir.Path();
        config.backend = CChipdConfig::Backend::kHwmon;
    }
    CTempDir dir;
    CHwmonFixture sysfs;
    CChipdConfig config;
};

}  // namespace

TEST(HwmonBackend, ServesTheDriversChipWritesItsFilesAndPutsThemBack) {
    ServiceOnTree tree("w83697hf");
    tree.sysfs.Set("pwm1_enable", 2);
    tree.sysfs.Set("beep_mask", 0x0004);
    CBackendChoice choice(tree.config);
    std::unique_ptr<IChipBackend> backend = choice.Choose();
    ASSERT_TRUE(backend) << choice.Problem();
    EXPECT_FALSE(choice.SharedWithDriver());
    EXPECT_EQ(backend->Describe(), "kernel driver w83627hf (w83697hf at /devices/platform/w83627hf.656)");
    CChipService service(*backend, CRequestPolicy(false));
    ASSERT_TRUE(service.Start());
    EXPECT_EQ(service.ChipId(), 0x60);

    service.Connect(1, {});
    service.Connect(2, {});
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x01}, 90)).status, kOk);      // pwm1
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x56}, 0xFF)).status, kOk);    // beep bits 0..7
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x2B}, 100)).status, kOk);     // in0 high limit
    EXPECT_EQ(service.Serve(WriteRequest({5, 0x54}, 200)).status, kOk);     // in7 high limit, bank 5
    EXPECT_EQ(tree.sysfs.Get("pwm1_enable"), "1");
    EXPECT_EQ(tree.sysfs.Get("pwm1"), "90");
    EXPECT_EQ(tree.sysfs.Get("beep_mask"), "255");
    EXPECT_EQ(tree.sysfs.Get("in0_max"), "1600");
    EXPECT_EQ(tree.sysfs.Get("in7_max"), "3200");
    const CResponse read = service.Serve(ReadRequest({5, 0x54}));
    EXPECT_EQ(read.data, std::vector<uint8_t>{200});
    // The service's own refusals hold; a refused file is a failed transfer.
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x58}, 0x30)).status, kRefusedRegister);
    ::chmod(tree.sysfs.Path("in2_max").c_str(), 0444);
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x2F}, 10)).status, kTransferFailed);
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x20}, 10)).status, kTransferFailed);

    // One client left: nothing is put back yet.
    service.Disconnect(1);
    EXPECT_EQ(tree.sysfs.Get("pwm1"), "90");
    service.Disconnect(2);
    EXPECT_EQ(tree.sysfs.Get("pwm1"), "255");
    EXPECT_EQ(tree.sysfs.Get("pwm1_enable"), "2");
    EXPECT_EQ(tree.sysfs.Get("beep_mask"), "4");
    EXPECT_EQ(tree.sysfs.Get("in0_max"), "1504");
    EXPECT_EQ(tree.sysfs.Get("in7_max"), std::to_string(1200 + 250 * 7 + 304));

    // A new client's changes are recorded afresh and put back when the
    // service stops.
    service.Connect(3, {});
    EXPECT_EQ(service.Serve(WriteRequest({0, 0x03}, 40)).status, kOk);  // pwm2
    EXPECT_EQ(tree.sysfs.Get("pwm2_enable"), "1");
    service.RestoreAsFound();
    EXPECT_EQ(tree.sysfs.Get("pwm2"), "255");
    EXPECT_EQ(tree.sysfs.Get("pwm2_enable"), "1");
    EXPECT_EQ(tree.sysfs.Get("pwm1_enable"), "2");
}

TEST(HwmonBackend, RefusesWithoutADriversChipOrWithFilesItCannotWrite) {
    {
        CTempDir dir;
        CHwmonFixture sysfs(dir.Path() + "/sys");
        sysfs.AddChip("coretemp", 0, CHwmonFixture::Layout::kInHwmonDirectory);
        CChipdConfig config;
        config.root = dir.Path();
        config.backend = CChipdConfig::Backend::kHwmon;
        CBackendChoice choice(config);
        EXPECT_FALSE(choice.Choose());
        EXPECT_NE(choice.Problem().find("no supported chip bound to its kernel driver"), std::string::npos)
            << choice.Problem();
    }
    ServiceOnTree tree("w83791d");
    tree.sysfs.MakeReadOnly();
    CBackendChoice choice(tree.config);
    EXPECT_FALSE(choice.Choose());
    EXPECT_NE(choice.Problem().find("files refuse writes"), std::string::npos) << choice.Problem();
}

TEST(HwmonBackend, ConfigurationNamesTheBackend) {
    CTempDir dir;
    CTempDir::Write(dir.File("chipd.conf"), "[Chip]\nBackend=hwmon\n");
    CChipdConfig config;
    std::string problem;
    ASSERT_TRUE(config.Load(dir.File("chipd.conf"), problem)) << problem;
    EXPECT_EQ(config.backend, CChipdConfig::Backend::kHwmon);
    CTempDir::Write(dir.File("chipd.conf"), "[Chip]\nBackend=sysfs\n");
    EXPECT_FALSE(config.Load(dir.File("chipd.conf"), problem));
    EXPECT_NE(problem.find("hwmon"), std::string::npos);
}
