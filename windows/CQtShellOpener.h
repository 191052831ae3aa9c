// IShellOpener through QDesktopServices (xdg-open on a Linux desktop).
#pragma once

#include "windows/IShellOpener.h"

class CQtShellOpener : public IShellOpener {
public:
    bool OpenFile(const std::string& path) override;
    bool OpenUrl(const std::string& url) override;
};
