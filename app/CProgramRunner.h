// IProgramRunner with posix_spawn. The input goes through a socket pair
// rather than a pipe so that a program that exits without reading it cannot
// kill this process with SIGPIPE.
#pragma once

#include "app/IProgramRunner.h"

class CProgramRunner : public IProgramRunner {
public:
    int Run(const std::vector<std::string>& argv, std::string_view standardInput) override;
};
