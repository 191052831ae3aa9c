// The built kelvane-chipd on a copy of the chip simulator, reached over its
// socket by raw frames, by the service client build of libWbcdflsh.so and by
// the engine on that library. Never real ports.
#include <dlfcn.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "accesslib/Wbcdflsh.h"
#include "accesslib/client/CServiceConnection.h"
#include "engine/SimulatorProgram.h"
#include "platform/CAccessPathLoader.h"
#include "platform/CSystemAccessProbes.h"
#include "tests/chipd/CServiceProcess.h"

using namespace ChipFrame;

namespace {

constexpr const char* kInputs = "TEMP1=38\nTEMP2=40\nTEMP3=70\nFAN1=4500\n";

CRequest Read(uint8_t bank, uint8_t reg) { return ReadRequest({bank, reg}); }

CRequest Write(uint8_t bank, uint8_t reg, uint8_t value) { return WriteRequest({bank, reg}, value); }

// One request's response, or a response with status 0xFF when the round
// trip failed.
CResponse Ask(CServiceConnection& connection, const CRequest& request) {
    CResponse response;
    if (!connection.RoundTrip(request, response)) response.status = static_cast<Status>(0xFF);
    return response;
}

uint8_t ReadValue(CServiceConnection& connection, uint8_t bank, uint8_t reg) {
    const CResponse response = Ask(connection, Read(bank, reg));
    EXPECT_EQ(response.status, kOk);
    return response.data.empty() ? 0 : response.data[0];
}

// Raw bytes to the socket, and everything that comes back until the service
// closes the connection (or a second passes).
std::vector<uint8_t> SendRaw(const std::string& socketPath, const std::vector<uint8_t>& bytes, bool* closed) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    const timeval timeout{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    std::vector<uint8_t> received;
    *closed = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        uint8_t buffer[256];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
            if (n == 0) *closed = true;
            if (n <= 0) break;
            received.insert(received.end(), buffer, buffer + n);
        }
    }
    ::close(fd);
    return received;
}

class ChipdProcessTest : public ::testing::Test {
protected:
    SimulatorProgram program{"W83782D", "", kInputs};
    CServiceProcess service{{program.Directory(), "", ""}};

    void SetUp() override { ASSERT_TRUE(service.Started()) << service.Log(); }
};

}  // namespace

TEST_F(ChipdProcessTest, ServesTheChipsRegistersOverItsSocket) {
    CServiceConnection connection(service.SocketPath());
    const CResponse hello = Ask(connection, CRequest{});
    ASSERT_EQ(hello.status, kOk);
    EXPECT_EQ(hello.data[0], 0x30) << "W83782D";

    EXPECT_EQ(ReadValue(connection, 0x01, 0x50), 40) << "temp2 in bank 1";
    EXPECT_EQ(ReadValue(connection, 0x02, 0x50), 70) << "temp3 in bank 2";
    EXPECT_EQ(ReadValue(connection, 0x80, 0x4F), 0x5C);
    EXPECT_EQ(ReadValue(connection, 0x00, 0x4F), 0xA3);
    EXPECT_EQ(Ask(connection, Write(0, 0x2B, 0x9A)).status, kOk);
    EXPECT_EQ(ReadValue(connection, 0, 0x2B), 0x9A);

    CRequest batch;
    batch.op = kReadBatch;
    batch.batch = {{0x01, 0x50}, {0x00, 0x2B}, {0x02, 0x50}, {0x00, 0x27}};
    const CResponse values = Ask(connection, batch);
    ASSERT_EQ(values.status, kOk);
    EXPECT_EQ(values.data, (std::vector<uint8_t>{40, 0x9A, 70, 38}));
}

TEST_F(ChipdProcessTest, RefusedRequestsKeepTheConnectionGarbageEndsIt) {
    CServiceConnection connection(service.SocketPath());
    EXPECT_EQ(Ask(connection, Write(0, 0x4E, 0x02)).status, kRefusedRegister);
    EXPECT_EQ(Ask(connection, Write(0, 0x40, 0x80)).status, kRefusedRegister);
    EXPECT_EQ(Ask(connection, Read(0x08, 0x50)).status, kRefusedRegister);
    EXPECT_EQ(Ask(connection, CRequest{}).status, kOk) << "still connected";

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Status status;
    };
    const Case cases[] = {
        {"garbage", {'G', 'E', 'T', ' ', '/', '\n'}, kGarbage},
        {"length beyond any frame", {'K', 'C', 1, kReadBatch, 0xFF, 0xFF}, kBadLength},
        {"read with a short payload", {'K', 'C', 1, kRead, 1, 0, 0x20}, kBadLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool closed = false;
        const std::vector<uint8_t> reply = SendRaw(service.SocketPath(), c.bytes, &closed);
        CResponse response;
        ASSERT_EQ(ParseResponse(reply.data(), reply.size(), response).result, Parse::kFrame);
        EXPECT_EQ(response.status, c.status);
        EXPECT_TRUE(closed);
    }
    // The service lives on for the others.
    EXPECT_EQ(Ask(connection, CRequest{}).status, kOk);
}

TEST_F(ChipdProcessTest, ClientLibraryRefusesPortsOutsideTheTwo) {
    void* library = ::dlopen((service.ClientDirectory() + "/libWbcdflsh.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    auto in = reinterpret_cast<InPortBFn>(::dlsym(library, "InPortB"));
    auto out = reinterpret_cast<OutPortBFn>(::dlsym(library, "OutPortB"));
    auto load = reinterpret_cast<LoadWBCDFlshVxDFn>(::dlsym(library, "LoadWBCDFlshVxD"));
    auto unload = reinterpret_cast<UnLoadWBCDFlshVxDFn>(::dlsym(library, "UnLoadWBCDFlshVxD"));
    ASSERT_EQ(load(), 0);
    int16_t error = 0;
    for (uint16_t port : {0x80, 0x294, 0x297, 0x3F8}) {
        in(port, &error);
        EXPECT_EQ(error, 1) << port;
        out(port, 0x55, &error);
        EXPECT_EQ(error, 1) << port;
    }
    out(kChipAddressPort, 0x58, &error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(in(kChipDataPort, &error), 0x30);
    EXPECT_EQ(error, 0);
    unload();
    ::dlclose(library);
}

TEST_F(ChipdProcessTest, EngineReadsTheSameThroughTheServiceAsInProcess) {
    std::vector<double> inProcess;
    {
        bool started = false;
        auto engine = program.StartEngine(&started);
        ASSERT_TRUE(started);
        engine->UpdateAll();
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) inProcess.push_back(engine->Item(i)->Value());
    }
    CDirectoryLibraryLoader client(service.ClientDirectory());
    CEngineSeams seams = program.Seams();
    CEngineSeams overService{client,           seams.lock,  seams.messageBox, seams.profile, seams.registry,
                             seams.clock,      seams.powerOff, seams.programDirectory};
    CHardwareMonitor engine(overService);
    engine.SetUseDefaultFiles(true);
    engine.SetUsePreferenceFile(false);
    engine.SetPaths("");
    ASSERT_TRUE(engine.StartMonitoring()) << service.Log();
    engine.UpdateAll();
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) EXPECT_EQ(engine.Item(i)->Value(), inProcess[i]) << i;
    EXPECT_GT(program.lock.Acquires(), 0) << "the chip lock stays around every transfer";
}

TEST(ChipdGroup, RefusesAPeerOutsideItsGroup) {
    const std::string foreign = CServiceProcess::ForeignGroup();
    if (foreign.empty()) GTEST_SKIP() << "no group outside the test's own";
    SimulatorProgram program{"W83782D"};
    CServiceProcess service({program.Directory(), foreign, ""});
    ASSERT_TRUE(service.Started()) << service.Log();
    CServiceConnection connection(service.SocketPath());
    EXPECT_EQ(Ask(connection, CRequest{}).status, kNotInGroup);
    EXPECT_EQ(Ask(connection, Read(0, 0x20)).status, kNotInGroup);
}

TEST_F(ChipdProcessTest, BankedReadsOfTwoConcurrentClientsNeverTear) {
    // Each client reads register 0x50 of its own bank; an interleaved bank
    // switch would hand one client the other's value.
    constexpr int kReadsPerClient = 50000;
    auto reader = [&](uint8_t bank, uint8_t expected, int* torn) {
        CServiceConnection connection(service.SocketPath());
        for (int i = 0; i < kReadsPerClient; ++i) {
            CResponse response;
            if (!connection.RoundTrip(Read(bank, 0x50), response) || response.status != kOk ||
                response.data.size() != 1 || response.data[0] != expected) {
                ++*torn;
            }
        }
    };
    int tornA = 0, tornB = 0;
    std::thread a(reader, 0x01, 40, &tornA);
    std::thread b(reader, 0x02, 70, &tornB);
    a.join();
    b.join();
    EXPECT_EQ(tornA, 0);
    EXPECT_EQ(tornB, 0);
}

TEST_F(ChipdProcessTest, RestoresTheChipWhenItsLastClientIsKilled) {
    uint8_t limit = 0, hysteresis = 0;
    {
        CServiceConnection probe(service.SocketPath());
        limit = ReadValue(probe, 0, 0x2B);
        hysteresis = ReadValue(probe, 0x01, 0x53);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        CServiceConnection connection(service.SocketPath());
        CResponse response;
        const bool written = connection.RoundTrip(Write(0, 0x2B, 0x11), response) && response.status == kOk &&
                             connection.RoundTrip(Write(0x01, 0x53, 0x22), response) && response.status == kOk;
        const char byte = written ? 'w' : 'x';
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(byte, 'w');
    {
        CServiceConnection watcher(service.SocketPath());
        ASSERT_EQ(ReadValue(watcher, 0, 0x2B), 0x11);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);

    CServiceConnection after(service.SocketPath());
    uint8_t now = 0;
    for (int wait = 0; wait < 200 && (now = ReadValue(after, 0, 0x2B)) != limit; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(now, limit);
    EXPECT_EQ(ReadValue(after, 0x01, 0x53), hysteresis);
}

namespace {

// The program directory's "client" folder with the service client build
// naming this service's socket.
void AddClientFolder(const SimulatorProgram& program, const CServiceProcess& service) {
    std::filesystem::copy(service.ClientDirectory(), program.Directory() + "/client");
}

}  // namespace

TEST_F(ChipdProcessTest, ProgramsChooseTheClientBuildOnlyWhenTheServiceAnswersAndNeverTheSimulatorForAFailingOne) {
    // A socket that exists but never answers: a set-up service that is slow.
    CTempDir silentDir;
    const std::string silentSocket = silentDir.File("silent.sock");
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, silentSocket.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(silent, 4), 0);

    enum class Service { kRunning, kSilent, kNone };
    struct Case {
        const char* what;
        bool clientFolder;
        Service service;
        std::optional<AccessPath> path;  // none: no way to the chip
    };
    const Case cases[] = {
        {"service answers", true, Service::kRunning, AccessPath::kService},
        {"service set up but silent", true, Service::kSilent, std::nullopt},
        {"no service set up", true, Service::kNone, AccessPath::kSimulator},
        {"no client build", false, Service::kRunning, AccessPath::kSimulator},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatorProgram local{"W83782D"};
        if (c.clientFolder) AddClientFolder(local, service);
        const std::string socket = c.service == Service::kRunning  ? service.SocketPath()
                                   : c.service == Service::kSilent ? silentSocket
                                                                   : local.Directory() + "/none.sock";
        if (c.clientFolder) CTempDir::Write(local.Directory() + "/client/chipclient.ini", "[Service]\nSocket=" + socket + "\n");
        // Empty trees: no kernel driver and no port claim; the port-I/O
        // build is not in this directory, so no port is ever probed.
        CTempDir trees;
        CDlLibraryLoader inner(local.Directory());
        CAccessPathLoader loader(inner, AccessPath::kAuto, [&](const std::string& directory) {
            return std::make_unique<CSystemAccessProbes>(directory, trees.Path(), trees.Path(), inner);
        });
        void* handle = loader.Open(kWbcdflshLibraryName);
        const CAccessPathChooser::CChoice& choice = loader.Choice();
        ASSERT_EQ(choice.ok, c.path.has_value()) << choice.problem;
        ASSERT_EQ(handle != nullptr, c.path.has_value());
        if (!c.path) {
            EXPECT_NE(choice.problem.find(silentSocket + " does not serve the chip: no answer within 2 s"), std::string::npos)
                << choice.problem;
            continue;
        }
        EXPECT_EQ(choice.path, *c.path);
        const std::string expected = *c.path == AccessPath::kService
                                         ? "chip service at " + service.SocketPath()
                                         : "SIMULATED chip: the chip simulator " + local.Directory() + "/libWbcdflsh.so";
        EXPECT_EQ(choice.description, expected);
        loader.Close(handle);
    }
    ::close(silent);
}

TEST_F(ChipdProcessTest, CliSaysItReadsThroughTheServiceAndReadsAlike) {
    auto run = [&](const std::string& out, const std::string& err) {
        const std::string command = CServiceProcess::BuildDirectory() + "/kelvane-cli --json --lock '" +
                                    program.Directory() + "/chip.lock' --dir '" + program.Directory() + "' >'" +
                                    out + "' 2>'" + err + "'";
        return std::system(command.c_str());
    };
    const std::string out = program.Directory() + "/out.txt", err = program.Directory() + "/err.txt";
    ASSERT_EQ(run(out, err), 0) << CTempDir::Read(err);
    std::string inProcess = CTempDir::Read(out);
    EXPECT_NE(CTempDir::Read(err).find("chip access: SIMULATED chip: the chip simulator "), std::string::npos)
        << CTempDir::Read(err);
    // The same readings, each naming the path it came by.
    for (std::size_t at; (at = inProcess.find("\"access\":\"simulator\"")) != std::string::npos;)
        inProcess.replace(at, 20, "\"access\":\"service\"");

    AddClientFolder(program, service);
    ASSERT_EQ(run(out, err), 0) << CTempDir::Read(err);
    EXPECT_NE(CTempDir::Read(err).find("chip access: chip service at " + service.SocketPath()), std::string::npos)
        << CTempDir::Read(err);
    EXPECT_EQ(CTempDir::Read(out), inProcess);
}
