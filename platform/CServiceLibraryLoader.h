// The programs' choice of access library: the library an inner loader finds
// (the simulator, or the port-I/O build put in its place), or, when the chip
// service answers on its socket, the service client build in the folder
// "client/" beside that library. The socket is the one the client build
// itself will use (client/chipclient.ini, else /run/kelvane/chip.sock), so
// the probe and the library never disagree. The designed chip lock stays
// around every transfer either way: it is the engine's.
#pragma once

#include <functional>
#include <string>

#include "platform/CDlLibraryLoader.h"

class CServiceLibraryLoader : public ILibraryLoader {
public:
    // Whether a service serving a chip answers at that socket, and whether
    // it lets this program only read (a member of the service's group
    // outside its control group, or a chip shared beside a driver).
    struct CAnswer {
        bool serves = false;
        bool readOnly = false;
    };
    using Probe = std::function<CAnswer(const std::string& socketPath)>;

    static constexpr const char* kClientFolder = "client";

    explicit CServiceLibraryLoader(CDlLibraryLoader& inner, Probe probe = AnswersHello)
        : m_inner(inner), m_probe(std::move(probe)) {}

    void* Open(const std::string& name) override;
    void* Symbol(void* handle, const char* name) override { return m_inner.Symbol(handle, name); }
    void Close(void* handle) override { m_inner.Close(handle); }

    bool UsesService() const { return m_usesService; }
    // What the last Open chose, in words for the user: "chip service at
    // /run/kelvane/chip.sock", "read-only through the chip service at
    // /run/kelvane/chip.sock" or "access library /opt/kelvane/libWbcdflsh.so";
    // empty before an Open.
    const std::string& InUse() const { return m_inUse; }

    // A connection and a greeting answered with success.
    static CAnswer AnswersHello(const std::string& socketPath);

private:
    CDlLibraryLoader& m_inner;
    Probe m_probe;
    bool m_usesService = false;
    std::string m_inUse;
};
