#include "platform/AccessPath.h"

namespace {

struct SPathName {
    AccessPath path;
    const char* name;
    const char* folder;
};

constexpr SPathName kPaths[] = {
    {AccessPath::kAuto, "auto", ""},         {AccessPath::kService, "service", "client"},
    {AccessPath::kHwmon, "hwmon", "hwmon"},  {AccessPath::kPorts, "ports", "portio"},
    {AccessPath::kSimulator, "simulator", ""},
};

}  // namespace

const char* AccessPathName(AccessPath path) {
    for (const SPathName& entry : kPaths) {
        if (entry.path == path) return entry.name;
    }
    return "auto";
}

const char* AccessPathFolder(AccessPath path) {
    for (const SPathName& entry : kPaths) {
        if (entry.path == path) return entry.folder;
    }
    return "";
}

std::optional<AccessPath> ParseAccessPath(std::string_view word) {
    for (const SPathName& entry : kPaths) {
        if (word == entry.name) return entry.path;
    }
    return std::nullopt;
}
