#include "windows/CLanguage.h"

#include <gtest/gtest.h>

TEST(Language, LocaleNamesMapToWindowsIdentifiersAndCodes)
{
    const struct {
        const char* locale;
        std::uint16_t id;
        const char* code;
    } cases[] = {
        {"de_DE", 0x0407, "DEU"},    {"fr_CA", 0x0C0C, "FRC"}, {"fr_FR", 0x040C, "FRA"},
        {"pt_BR", 0x0416, "PTB"},    {"pt_PT", 0x0816, "PTG"}, {"es_MX", 0x080A, "ESM"},
        {"es_ES", 0x040A, "ESP"},    {"zh_CN", 0x0804, "CHS"}, {"zh_TW", 0x0404, "CHT"},
        {"en_US", 0x0409, "ENU"},    {"en_AU", 0x0C09, ""},    {"de_AT", 0x0C07, ""},
        {"en_GB", 0x0809, ""},       {"eu_ES", 0x042D, "BAQ"}, {"ca_ES", 0x0403, "CAT"},
        {"ko_KR", 0x0412, "KRN"},    {"nb_NO", 0x0414, "NOR"}, {"sv_FI", 0x081D, ""},
        {"ja_JP", 0x0411, "JPN"},    {"tr_TR", 0x041F, "TUR"}, {"sl_SI", 0x0424, "SLV"},
        // Forms a locale name can take outside Qt, and the fall-backs.
        {"de-DE", 0x0407, "DEU"},    {"DE_de", 0x0407, "DEU"}, {"de_DE.UTF-8", 0x0407, "DEU"},
        {"zh_Hans_CN", 0x0804, "CHS"}, {"de_BE", 0x0407, "DEU"}, {"de", 0x0407, "DEU"},
        {"C", 0x0000, ""},           {"", 0x0000, ""},         {"xx_YY", 0x0000, ""},
    };
    for (const auto& c : cases) {
        const CLanguage language(c.locale);
        EXPECT_EQ(language.GetLanguageId(), c.id) << c.locale;
        EXPECT_EQ(language.GetLanguageCode(), c.code) << c.locale;
    }
}
