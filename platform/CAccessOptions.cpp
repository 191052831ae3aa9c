#include "platform/CAccessOptions.h"

CAccessOptions CAccessOptions::Take(std::vector<std::string>& arguments, bool acceptAccess) {
    CAccessOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = word.find('='); word.starts_with("--") && equals != std::string::npos) {
            value = word.substr(equals + 1);
            word.resize(equals);
        }
        const bool known = word == "--sysfs-root" || (acceptAccess && (word == "--access" || word == "--lock"));
        if (!known) {
            rest.push_back(arguments[i]);
            continue;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                if (options.error.empty()) options.error = "option " + word + " needs a value";
                continue;
            }
            value = arguments[++i];
        }
        if (word == "--lock") {
            if (value->empty() && options.error.empty()) options.error = "--lock needs a file";
            options.lockFile = *value;
        } else if (word == "--sysfs-root") {
            if (value->empty() && options.error.empty()) options.error = "--sysfs-root needs a directory";
            options.sysfsRoot = *value;
        } else if (const std::optional<AccessPath> path = ParseAccessPath(*value)) {
            options.access = path;
        } else if (options.error.empty()) {
            options.error = "--access needs one of " + std::string(kAccessPathWords) + ", not \"" + *value + "\"";
        }
    }
    arguments = std::move(rest);
    return options;
}
