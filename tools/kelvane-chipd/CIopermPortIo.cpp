#include "tools/kelvane-chipd/CIopermPortIo.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define KELVANE_HAVE_IOPERM 1
#endif

CIopermPortIo::~CIopermPortIo() {
#ifdef KELVANE_HAVE_IOPERM
    if (m_open) ::ioperm(m_first, m_count, 0);
#endif
}

bool CIopermPortIo::Open(uint16_t first, uint16_t count, std::string& problem) {
#ifdef KELVANE_HAVE_IOPERM
    if (::ioperm(first, count, 1) != 0) {
        problem = std::string("ioperm: ") + std::strerror(errno);
        return false;
    }
    m_open = true;
    m_first = first;
    m_count = count;
    return true;
#else
    (void)first;
    (void)count;
    problem = "ioperm is not available on this processor; use PortAccess=devport";
    return false;
#endif
}

bool CIopermPortIo::In(uint16_t port, uint8_t& value) {
    if (!Inside(port)) return false;
#ifdef KELVANE_HAVE_IOPERM
    value = ::inb(port);
    return true;
#else
    (void)value;
    return false;
#endif
}

bool CIopermPortIo::Out(uint16_t port, uint8_t value) {
    if (!Inside(port)) return false;
#ifdef KELVANE_HAVE_IOPERM
    ::outb(value, port);
    return true;
#else
    (void)value;
    return false;
#endif
}
