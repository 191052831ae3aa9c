// Hands a local file to the desktop's default handler, as a double click in
// the file manager would (the help page, the warning log). The real one is
// CQtShellOpener; tests record the calls instead.
#pragma once

#include <string>

class IShellOpener {
public:
    virtual ~IShellOpener() = default;
    // path: an absolute local file path. False when no handler took it.
    virtual bool OpenFile(const std::string& path) = 0;
};
