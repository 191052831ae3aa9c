// The chip behind an access library's port entry points (the chip simulator
// in a given directory): what the tests and demonstrations serve, so that no
// real port is ever reached without the privileged backends.
#pragma once

#include "accesslib/Wbcdflsh.h"
#include "tools/kelvane-chipd/IChipBackend.h"

class CLibraryBackend : public IChipBackend {
public:
    explicit CLibraryBackend(std::string directory) : m_directory(std::move(directory)) {}
    ~CLibraryBackend() override;
    CLibraryBackend(const CLibraryBackend&) = delete;
    CLibraryBackend& operator=(const CLibraryBackend&) = delete;

    bool Open() override;
    bool ReadRegister(uint8_t reg, uint8_t& value) override;
    bool WriteRegister(uint8_t reg, uint8_t value) override;
    std::string Describe() const override;
    std::string Problem() const override { return m_problem; }

private:
    // A phase is retried as the engine retries its own: a bus error is
    // transient.
    bool Out(uint16_t port, uint8_t value);

    std::string m_directory;
    void* m_handle = nullptr;
    InPortBFn m_in = nullptr;
    OutPortBFn m_out = nullptr;
    std::string m_problem;
};
