// The journal against SIGKILL: the service is killed at random moments
// while a client writes (and now and then again while it starts and puts
// the chip back), started anew, and the chip must be as found each time.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "accesslib/client/CServiceConnection.h"
#include "engine/SimulatorProgram.h"
#include "tests/chipd/CServiceProcess.h"

using namespace ChipFrame;

namespace {

// Limit registers, which hold what is written: in0..in6 and the fans'
// limits, temp1's, temp2's (bank 1) and VBAT's (bank 5).
std::vector<CRegisterAddress> Registers() {
    std::vector<CRegisterAddress> registers;
    for (uint8_t reg = 0x2B; reg <= 0x3D; ++reg) registers.push_back({0, reg});
    for (uint8_t reg = 0x53; reg <= 0x56; ++reg) registers.push_back({1, reg});
    for (uint8_t reg = 0x54; reg <= 0x57; ++reg) registers.push_back({5, reg});
    return registers;
}

// The registers' values and the service's resting bank, or empty when the
// service does not answer.
std::vector<uint8_t> Snapshot(const std::string& socket) {
    CServiceConnection connection(socket);
    CResponse hello;
    if (!connection.RoundTrip(CRequest{}, hello) || hello.status != kOk || hello.data.size() < 3) return {};
    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = Registers();
    CResponse values;
    if (!connection.RoundTrip(batch, values) || values.status != kOk) return {};
    values.data.push_back(hello.data[2]);
    return values.data;
}

}  // namespace

TEST(ChipdKillTrial, AKilledServiceStartedAgainLeavesTheChipAsFound) {
    constexpr int kRuns = 100;
    SimulatorProgram program{"W83782D"};
    CServiceProcess service({program.Directory(), "", "", "", ""});
    ASSERT_TRUE(service.Started()) << service.Log();
    const std::vector<uint8_t> asFound = Snapshot(service.SocketPath());
    ASSERT_FALSE(asFound.empty());
    const std::vector<CRegisterAddress> registers = Registers();

    std::mt19937 random(2026);
    int killedWhileWriting = 0;
    for (int run = 0; run < kRuns; ++run) {
        std::atomic<int> writes{0};
        const pid_t pid = service.Pid();
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 4000)(random));
        const unsigned seed = random();
        std::thread writer([&] {
            std::mt19937 values(seed);
            CServiceConnection connection(service.SocketPath());
            CResponse response;
            for (;;) {
                const CRegisterAddress address = registers[values() % registers.size()];
                if (!connection.RoundTrip(WriteRequest(address, static_cast<uint8_t>(values())), response)) break;
                ++writes;
            }
        });
        // Every other run waits for the first write to land, so that half the
        // kills fall among writes however slowly the service starts (under
        // the sanitizers, say); the others may fall anywhere.
        if (run % 2 == 0) {
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            while (writes == 0 && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
        writer.join();
        killedWhileWriting += writes > 0;
        // Now and then killed again while it starts and puts the chip back.
        if (run % 4 == 3) {
            service.Restart();
            ::kill(service.Pid(), SIGKILL);
        }
        ASSERT_TRUE(service.Restart()) << "run " << run << "\n" << service.Log();
        ASSERT_EQ(Snapshot(service.SocketPath()), asFound) << "run " << run << " after " << writes << " writes\n"
                                                          << service.Log();
    }
    EXPECT_GT(killedWhileWriting, kRuns / 2);
}
