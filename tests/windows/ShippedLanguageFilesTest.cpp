// The translation file laid out beside the program by the build.
#include "windows/CProgramDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {

// Section → keys, read the way the private-profile reader sees the file:
// "[section]" lines, "key=value" lines, anything else ignored.
std::map<std::string, std::set<std::string>> ReadKeys(const std::string& path)
{
    std::map<std::string, std::set<std::string>> keys;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.size() > 1 && line.front() == '[' && line.back() == ']')
            section = line.substr(1, line.size() - 2);
        else if (const auto eq = line.find('='); eq != std::string::npos && !section.empty())
            keys[section].insert(line.substr(0, eq));
    }
    return keys;
}

}  // namespace

TEST(ShippedLanguageFiles, GermanTranslationCoversEveryTranslatedCaption)
{
    const auto keys = ReadKeys(CProgramDirectory::GetProgramDirectory() + "/kelvaneDEU.ini");
    const std::map<std::string, std::set<std::string>> expected{
        {"Kelvane", {"Monitor Setting", "Display Setting", "Dravik Manager"}},
        {"Display Setting",
         {"Warning alert by E-Mail", "Error log recording", "Run Kelvane when system start up.", "Apply",
          "Select All", "Cancel", "OK", "Remove", "Add >>", "Main Screen", "SubScreen", "Display Item List",
          "View Error Log"}},
        {"Monitor Setting",
         {"Hi-Limit", "Value", "Shut Down", "Low-Limit", "Load Default", "Cancel", "Apply", "Smart Fan Enable", "Item",
          "Default Setting", "Fahrenheit", "Centigrade"}},
    };
    // Every caption the controls look up is there; the windows' other
    // captions are checked by rendering them in German.
    for (const auto& [section, captions] : expected) {
        ASSERT_TRUE(keys.count(section)) << section;
        for (const std::string& caption : captions) EXPECT_TRUE(keys.at(section).count(caption)) << section << ": " << caption;
    }
}
