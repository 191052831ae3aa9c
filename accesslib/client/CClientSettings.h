// Where the service client build finds kelvane-chipd: the file
// "chipclient.ini" beside the library may name another socket in its
// [Service] section ("Socket=/path"); without it the installed socket
// /run/kelvane/chip.sock is used. The window's and kelvane-cli's choice of
// library reads the same file, so both always agree on the socket.
#pragma once

#include <string>

class CClientSettings {
public:
    static constexpr const char* kFileName = "chipclient.ini";
    static constexpr const char* kDefaultSocket = "/run/kelvane/chip.sock";

    // The socket named by directory/chipclient.ini, or the default. At most
    // the first 4 KiB of the file are read.
    static std::string SocketPath(const std::string& directory);
};
