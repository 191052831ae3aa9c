#include "windows/CWindowLanguage.h"

#include <utility>

#include "windows/CCaptionTranslator.h"

CWindowLanguage::CWindowLanguage(const IPrivateProfile& profile, std::string languageCode)
    : m_profile(profile), m_strLanguageCode(std::move(languageCode))
{
}

void CWindowLanguage::TranslateControls(QWidget& window, const std::vector<int>& controlIds)
{
    const CCaptionTranslator translator(m_profile, m_strLanguageCode);
    m_strFile = translator.TranslateCaptions(window, kSection, controlIds);
}

QString CWindowLanguage::Tr(const char* english) const
{
    const auto found = m_captions.find(english);
    if (found != m_captions.end()) return found->second;
    const QString caption = CCaptionTranslator::Lookup(m_profile, m_strFile, kSection, QString::fromUtf8(english));
    m_captions.emplace(english, caption);
    return caption;
}

void CWindowLanguage::TranslateTree(QWidget& root) const
{
    CCaptionTranslator::TranslateTree(m_profile, m_strFile, root, kSection);
}
