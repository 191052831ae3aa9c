// The fourteen entry points of the service client build of libWbcdflsh.so.
// The port transfers go to kelvane-chipd (CChipClient); the driver load
// greets the service and its unload ends the connection, which lets the
// service put the chip back as it found it when this was the last client.
//
// The C interface carries no context, so the library keeps one client per
// process, created at the first call.

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "accesslib/client/CChipClient.h"
#include "accesslib/client/CClientSettings.h"
#pragma GCC visibility push(default)
#include "accesslib/Wbcdflsh.h"
#pragma GCC visibility pop

namespace {

// No device at a bus address: the bus functions are not served remotely.
constexpr int16_t kNoDevice = 4;

std::string LibraryDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&LibraryDirectory), &info) == 0 || !info.dli_fname) return ".";
    char resolved[PATH_MAX];
    const std::string path = ::realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

struct CSession {
    std::mutex mutex;
    CChipClient client{CClientSettings::SocketPath(LibraryDirectory())};
    int16_t users = 0;
};

CSession& Session() {
    static CSession session;
    return session;
}

void SetError(int16_t* error, int16_t value) {
    if (error) *error = value;
}

}  // namespace

extern "C" {

int16_t ReturnChipSetType() { return 0; }

int16_t SetUsers(int16_t users) {
    std::lock_guard<std::mutex> hold(Session().mutex);
    Session().users = users;
    return 0;
}

int16_t CheckUsers() {
    std::lock_guard<std::mutex> hold(Session().mutex);
    return Session().users;
}

int16_t GetCPURatio() { return 0; }

uint8_t InPortB(uint16_t port, int16_t* error) {
    std::lock_guard<std::mutex> hold(Session().mutex);
    int16_t code = 0;
    const uint8_t value = Session().client.In(port, code);
    SetError(error, code);
    return value;
}

int16_t OutPortB(uint16_t port, uint8_t value, int16_t* error) {
    std::lock_guard<std::mutex> hold(Session().mutex);
    int16_t code = 0;
    Session().client.Out(port, value, code);
    SetError(error, code);
    return code;
}

int16_t EnablePri() { return 0; }
int16_t DisablePri() { return 0; }

int16_t INITBus() {
    std::lock_guard<std::mutex> hold(Session().mutex);
    return Session().client.Open();
}

int16_t InitialBus(uint16_t, uint8_t, uint8_t, uint8_t) {
    std::lock_guard<std::mutex> hold(Session().mutex);
    return Session().client.Open();
}

int16_t I2CBlockRead(uint8_t, uint8_t, uint8_t*, uint8_t) { return kNoDevice; }
int16_t I2CBlockWrite(uint8_t, uint8_t, const uint8_t*, uint8_t) { return kNoDevice; }

int16_t LoadWBCDFlshVxD() {
    std::lock_guard<std::mutex> hold(Session().mutex);
    return Session().client.Open();
}

int16_t UnLoadWBCDFlshVxD() {
    std::lock_guard<std::mutex> hold(Session().mutex);
    Session().client.Close();
    return 0;
}

}  // extern "C"
