// kelvane-chipd's configuration file (INI, default /etc/kelvane/chipd.conf):
//
//   [Service]
//   Socket=/run/kelvane/chip.sock   ; used when not started by socket activation
//   Group=kelvane                   ; members may connect and read
//   ControlGroup=kelvane-control    ; members may also write (drive fans, limits, alarms)
//   Journal=/run/kelvane/chipd.journal  ; the values as found, for a restart after a kill
//   MaxConnections=256              ; clients at once (kept below the descriptor limit)
//   ConnectionsPerUser=16           ; clients at once of one user
//   ReplyTimeout=2000               ; ms a client may leave its replies unread, or a frame half sent
//   IdleTimeout=900                 ; s a client may stay without a request
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
// Unknown keys are ignored; a value out of range makes the file invalid. The
// file must be a regular file; only the default file may be absent.
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
    std::string controlGroup = "kelvane-control";
    std::string journalPath = "/run/kelvane/chipd.journal";
    int maxConnections = 256;
    int connectionsPerUser = 16;
    int replyTimeoutMs = 2000;
    int idleTimeoutS = 900;
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

    // False with a reason on a bad value, or a file that is not a readable
    // regular file; a missing file gives the defaults when it is the default
    // one (explicit: the path was given on the command line).
    bool Load(const std::string& path, bool explicitPath, std::string& problem);
    // A path under the root prefix.
    std::string UnderRoot(const std::string& absolute) const;
};
