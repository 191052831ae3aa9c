// The user's language as the program's files know it: a 16-bit Windows
// language identifier (primary language in the low 10 bits, sub-language
// above) and the three-letter code that names the translation file
// "kelvane" + code + ".ini" and the help page "help_" + code + ".htm".
//
// The identifier comes from the user's locale name ("de_DE", "pt_BR"); in
// production that is QLocale::system().name() (FromSystemLocale).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CLanguage {
public:
    explicit CLanguage(std::string_view localeName);

    // The user's locale as Qt reports it.
    static CLanguage FromSystemLocale();

    std::uint16_t GetLanguageId() const { return m_nLanguageId; }

    // The code of the language table for the identifier, or empty text when
    // the identifier is not in the table.
    std::string GetLanguageCode() const { return CodeForLanguageId(m_nLanguageId); }

    // The thirty-entry language table, searched in order.
    static std::string CodeForLanguageId(std::uint16_t languageId);

    // "de_DE" → 0x0407, "fr_CA" → 0x0C0C, "en_AU" → 0x0C09 ... Accepts "_" or
    // "-", any letter case, a script part ("zh_Hans_CN") and a POSIX suffix
    // (".UTF-8", "@euro"). A known language in an unknown country gets the
    // language's default sub-language; an unknown language gives 0 (neutral),
    // which has no code.
    static std::uint16_t LanguageIdForLocale(std::string_view localeName);

private:
    std::uint16_t m_nLanguageId;
};
