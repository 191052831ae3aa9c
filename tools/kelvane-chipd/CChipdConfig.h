// kelvane-chipd's configuration file (INI, default /etc/kelvane/chipd.conf):
//
//   [Service]
//   Socket=/run/kelvane/chip.sock   ; used when not started by socket activation
//   Group=kelvane                   ; only members may connect
//   Root=/                          ; prefix of /proc, /sys and /dev (tests)
//   [Chip]
//   Backend=auto                    ; auto, isa, smbus, hwmon or library
//   PortBase=0x290                  ; the chip's ports are base + 5 and base + 6
//   PortAccess=ioperm               ; ioperm or devport
//   SmbusBus=-1                     ; /dev/i2c-N; -1: every adapter is tried
//   SmbusAddress=0x2D               ; 0x28..0x2F
//   LibraryDirectory=               ; Backend=library: the access library's directory
//   ShareReadOnly=0                 ; 1: serve reads beside a driver, refuse writes
//
// Unknown keys are ignored; a value out of range makes the file invalid.
#pragma once

#include <cstdint>
#include <string>

class CChipdConfig {
public:
    enum class Backend { kAuto, kIsa, kSmbus, kLibrary, kHwmon };
    enum class PortAccess { kIoperm, kDevPort };

    static constexpr const char* kDefaultPath = "/etc/kelvane/chipd.conf";

    std::string socketPath = "/run/kelvane/chip.sock";
    std::string group = "kelvane";
    std::string root = "/";
    Backend backend = Backend::kAuto;
    uint16_t portBase = 0x290;
    PortAccess portAccess = PortAccess::kIoperm;
    int smbusBus = -1;
    uint8_t smbusAddress = 0x2D;
    std::string libraryDirectory;
    bool shareReadOnly = false;
    // --sysfs-root: where /sys is; empty: under root.
    std::string sysfsRoot;

    // A missing file gives the defaults; false with a reason on a bad value.
    bool Load(const std::string& path, std::string& problem);
    // A path under the root prefix.
    std::string UnderRoot(const std::string& absolute) const;
};
