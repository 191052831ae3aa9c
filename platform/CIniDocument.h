// The text of one INI file and the two operations on it that the profile
// store needs: find a value, and set a value while keeping every other byte.
// The text is parsed once into a table of its values, so a load of many keys
// costs one pass over the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

class CIniDocument {
public:
    explicit CIniDocument(std::string text = {});

    // The first value of key in any section named section (names compared
    // without ASCII case). Leading blanks of the value are skipped, trailing
    // ones kept; a NUL byte ends the value as it would end a C string.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // False (and nothing changed) when section, key or value would not come
    // back unchanged from a profile line: line breaks or NUL anywhere, "=" in
    // the key, "]" in the section, empty or blank-edged names.
    static bool CanStore(std::string_view section, std::string_view key, std::string_view value);

    // Sets key in section; the caller has checked CanStore.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Text() const { return m_text; }

    // The integer reading of a found value: optional sign and the leading
    // decimal digits, clamped to the int range; missing or empty gives
    // defaultValue.
    static int ToInt(const std::optional<std::string>& value, int defaultValue);

    // The found value (or defaultValue) cut to bufferSize - 1 characters.
    static std::string ToBuffer(const std::optional<std::string>& value, std::string_view defaultValue,
                                std::size_t bufferSize);

private:
    void Index();

    std::string m_text;
    // Each (section, key) pair's first value in the text, under the names in
    // lower case joined by a line break (which no name can hold).
    std::unordered_map<std::string, std::string> m_values;
};
