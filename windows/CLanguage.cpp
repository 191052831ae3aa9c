#include "windows/CLanguage.h"

#include <array>
#include <cctype>

namespace {

struct LanguageCode {
    std::uint16_t id;
    const char* code;
};

constexpr std::array<LanguageCode, 30> kLanguageTable{{
    {0x042D, "BAQ"}, {0x0403, "CAT"}, {0x0804, "CHS"}, {0x0404, "CHT"}, {0x0405, "CSY"}, {0x0406, "DAN"},
    {0x0413, "NLD"}, {0x0409, "ENU"}, {0x040B, "FIN"}, {0x0C0C, "FRC"}, {0x040C, "FRA"}, {0x0407, "DEU"},
    {0x0408, "ELL"}, {0x040E, "HUN"}, {0x0421, "IND"}, {0x0410, "ITA"}, {0x0411, "JPN"}, {0x0412, "KRN"},
    {0x0414, "NOR"}, {0x0415, "PLK"}, {0x0416, "PTB"}, {0x0816, "PTG"}, {0x0419, "RUS"}, {0x041B, "SKY"},
    {0x0424, "SLV"}, {0x080A, "ESM"}, {0x040A, "ESP"}, {0x041D, "SVE"}, {0x041E, "THA"}, {0x041F, "TUR"},
}};

// Windows language identifiers by locale: the language alone gives its
// default sub-language; a country with a sub-language of its own is listed.
struct LocaleLanguage {
    const char* language;
    const char* country;
    std::uint16_t id;
};

constexpr LocaleLanguage kLocales[] = {
    {"ar", "", 0x0401}, {"ar", "SA", 0x0401}, {"ar", "IQ", 0x0801}, {"ar", "EG", 0x0C01},
    {"ar", "LY", 0x1001}, {"ar", "DZ", 0x1401}, {"ar", "MA", 0x1801}, {"ar", "TN", 0x1C01},
    {"ar", "OM", 0x2001}, {"ar", "YE", 0x2401}, {"ar", "SY", 0x2801}, {"ar", "JO", 0x2C01},
    {"ar", "LB", 0x3001}, {"ar", "KW", 0x3401}, {"ar", "AE", 0x3801}, {"ar", "BH", 0x3C01},
    {"ar", "QA", 0x4001}, {"bg", "", 0x0402}, {"ca", "", 0x0403}, {"zh", "", 0x0804}, {"zh", "TW", 0x0404},
    {"zh", "CN", 0x0804}, {"zh", "HK", 0x0C04}, {"zh", "SG", 0x1004}, {"zh", "MO", 0x1404},
    {"cs", "", 0x0405}, {"da", "", 0x0406}, {"de", "", 0x0407}, {"de", "DE", 0x0407}, {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07}, {"de", "LU", 0x1007}, {"de", "LI", 0x1407}, {"el", "", 0x0408}, {"en", "", 0x0409},
    {"en", "US", 0x0409}, {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"en", "ZA", 0x1C09}, {"en", "JM", 0x2009},
    {"en", "BZ", 0x2809}, {"en", "TT", 0x2C09}, {"en", "ZW", 0x3009}, {"en", "PH", 0x3409},
    {"en", "IN", 0x4009}, {"en", "MY", 0x4409}, {"en", "SG", 0x4809}, {"es", "", 0x040A},
    {"es", "ES", 0x040A}, {"es", "MX", 0x080A}, {"es", "GT", 0x100A}, {"es", "CR", 0x140A},
    {"es", "PA", 0x180A}, {"es", "DO", 0x1C0A}, {"es", "VE", 0x200A}, {"es", "CO", 0x240A},
    {"es", "PE", 0x280A}, {"es", "AR", 0x2C0A}, {"es", "EC", 0x300A}, {"es", "CL", 0x340A},
    {"es", "UY", 0x380A}, {"es", "PY", 0x3C0A}, {"es", "BO", 0x400A}, {"es", "SV", 0x440A},
    {"es", "HN", 0x480A}, {"es", "NI", 0x4C0A}, {"es", "PR", 0x500A}, {"es", "US", 0x540A},
    {"fi", "", 0x040B}, {"fr", "", 0x040C}, {"fr", "FR", 0x040C}, {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C},
    {"fr", "CH", 0x100C}, {"fr", "LU", 0x140C}, {"fr", "MC", 0x180C}, {"he", "", 0x040D}, {"hu", "", 0x040E},
    {"is", "", 0x040F}, {"it", "", 0x0410}, {"it", "IT", 0x0410}, {"it", "CH", 0x0810}, {"ja", "", 0x0411},
    {"ko", "", 0x0412}, {"nl", "", 0x0413}, {"nl", "NL", 0x0413}, {"nl", "BE", 0x0813}, {"nb", "", 0x0414},
    {"no", "", 0x0414}, {"nn", "", 0x0814}, {"pl", "", 0x0415}, {"pt", "", 0x0416}, {"pt", "BR", 0x0416},
    {"pt", "PT", 0x0816}, {"ro", "", 0x0418}, {"ru", "", 0x0419}, {"hr", "", 0x041A}, {"sk", "", 0x041B},
    {"sq", "", 0x041C}, {"sv", "", 0x041D}, {"sv", "SE", 0x041D}, {"sv", "FI", 0x081D}, {"th", "", 0x041E},
    {"tr", "", 0x041F}, {"ur", "", 0x0420}, {"id", "", 0x0421}, {"uk", "", 0x0422}, {"be", "", 0x0423},
    {"sl", "", 0x0424}, {"et", "", 0x0425}, {"lv", "", 0x0426}, {"lt", "", 0x0427}, {"vi", "", 0x042A},
    {"eu", "", 0x042D},
};

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

CLanguage::CLanguage(std::string_view localeName) : m_nLanguageId(LanguageIdForLocale(localeName)) {}

std::string CLanguage::CodeForLanguageId(std::uint16_t languageId)
{
    for (const LanguageCode& entry : kLanguageTable)
        if (entry.id == languageId)
            return entry.code;
    return {};
}

std::uint16_t CLanguage::LanguageIdForLocale(std::string_view localeName)
{
    // "de_DE.UTF-8@euro" → "de_DE"; "zh-Hans-CN" → language "zh", country "CN".
    localeName = localeName.substr(0, localeName.find_first_of(".@"));
    const std::size_t first = localeName.find_first_of("_-");
    const std::string language = Lower(localeName.substr(0, first));
    std::string country;
    if (first != std::string_view::npos)
        country = Upper(localeName.substr(localeName.find_last_of("_-") + 1));

    const LocaleLanguage* languageOnly = nullptr;
    for (const LocaleLanguage& l : kLocales) {
        if (language != l.language)
            continue;
        if (country == l.country)
            return l.id;
        if (*l.country == '\0')
            languageOnly = &l;
    }
    if (languageOnly != nullptr)
        return languageOnly->id;
    return 0;
}
