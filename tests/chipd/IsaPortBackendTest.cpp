// The ISA backend touches the chip's two ports and no other.
#include <fcntl.h>
#include <unistd.h>

#include <set>

#include <gtest/gtest.h>

#include "support/CTempDir.h"
#include "tools/kelvane-chipd/CDevPortIo.h"
#include "tools/kelvane-chipd/CIsaPortBackend.h"
#include "tools/kelvane-chipd/CSmbusBackend.h"

namespace {

class CRecordingPortIo : public IPortIo {
public:
    bool Open(uint16_t first, uint16_t count, std::string&) override {
        opened = {first, count};
        return true;
    }
    bool In(uint16_t port, uint8_t& value) override {
        ports.insert(port);
        value = 0x5A;
        return true;
    }
    bool Out(uint16_t port, uint8_t) override {
        ports.insert(port);
        return true;
    }
    std::pair<uint16_t, uint16_t> opened{};
    std::set<uint16_t> ports;
};

}  // namespace

TEST(IsaPortBackend, AsksForAndUsesOnlyBasePlusFiveAndSix) {
    CRecordingPortIo io;
    CIsaPortBackend backend(io, 0x290);
    uint8_t value = 0;
    EXPECT_FALSE(backend.ReadRegister(0x20, value)) << "no transfer before the access is granted";
    EXPECT_TRUE(io.ports.empty());
    ASSERT_TRUE(backend.Open());
    EXPECT_EQ(io.opened, (std::pair<uint16_t, uint16_t>{0x295, 2}));
    for (int reg = 0; reg < 256; ++reg) {
        ASSERT_TRUE(backend.ReadRegister(static_cast<uint8_t>(reg), value));
        ASSERT_TRUE(backend.WriteRegister(static_cast<uint8_t>(reg), 0));
    }
    EXPECT_EQ(io.ports, (std::set<uint16_t>{0x295, 0x296}));
}

TEST(DevPortIo, RefusesPortsOutsideItsWindow) {
    // A regular file stands in for /dev/port: each port is the byte at its offset.
    CTempDir dir;
    const std::string path = dir.File("port");
    CTempDir::Write(path, std::string(0x400, '\0'));
    CDevPortIo io(path);
    std::string problem;
    ASSERT_TRUE(io.Open(0x295, 2, problem)) << problem;
    EXPECT_TRUE(io.Out(0x295, 0x4E));
    EXPECT_TRUE(io.Out(0x296, 0x80));
    EXPECT_FALSE(io.Out(0x294, 0x11));
    EXPECT_FALSE(io.Out(0x297, 0x11));
    EXPECT_FALSE(io.Out(0x80, 0x11));
    uint8_t value = 0;
    EXPECT_FALSE(io.In(0x3F8, value));
    const std::string bytes = CTempDir::Read(path);
    for (size_t offset = 0; offset < bytes.size(); ++offset) {
        const uint8_t expected = offset == 0x295 ? 0x4E : offset == 0x296 ? 0x80 : 0;
        ASSERT_EQ(static_cast<uint8_t>(bytes[offset]), expected) << offset;
    }
}

TEST(SmbusBackend, RefusesAddressesOutsideTheChipsRange) {
    for (int address : {0x27, 0x30, 0x50, 0x00}) {
        CSmbusBackend backend("/nonexistent/i2c-0", static_cast<uint8_t>(address));
        EXPECT_FALSE(backend.Open()) << address;
        EXPECT_NE(backend.Problem().find("0x28..0x2F"), std::string::npos);
    }
    EXPECT_TRUE(CSmbusBackend::ValidAddress(0x2D));
}
