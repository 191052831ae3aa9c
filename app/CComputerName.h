// The computer's name as the alert mails give it: the "ComputerName" value of
// the machine's ComputerName key in the registry hive. Nothing else on Linux
// keeps that value, so the program records the host name there at start.
#pragma once

#include <string>
#include <string_view>

class CRegistryKey;

class CComputerName {
public:
    static constexpr const char* kKey = "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
    static constexpr const char* kValue = "ComputerName";

    // The value under the key (whose root must be HKEY_LOCAL_MACHINE); empty
    // when it cannot be read.
    static std::string Read(const CRegistryKey& localMachine);
    // Stores name as the value; false when the hive cannot be written.
    static bool Record(CRegistryKey& localMachine, std::string_view name);
    // This machine's host name (gethostname); empty when it cannot be had.
    static std::string HostName();
};
