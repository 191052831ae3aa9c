// dravik-manager-sim: see CDravikManagerSim.h.
#include "CDravikManagerSim.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const auto options = CDravikManagerSim::ParseOptions(arguments, error);
    if (!options) {
        std::cerr << "dravik-manager-sim: " << error << "\n" << CDravikManagerSim::UsageLine();
        return 2;
    }
    if (options->help) {
        std::cout << CDravikManagerSim::Usage();
        return 0;
    }
    CDravikManagerSim sim(*options);
    return sim.Run(std::cout, std::cerr);
}
