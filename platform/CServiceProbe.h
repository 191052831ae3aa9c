// Whether kelvane-chipd serves a chip at a socket: a greeting and its
// answer, within the client build's own time-out, with the reason in words
// when it does not. A socket that exists means the service is set up.
#pragma once

#include <string>

#include "platform/IAccessProbes.h"

class CServiceProbe {
public:
    static CServiceAnswer Ask(const std::string& socketPath);
};
