// The main window's captions in the user's language: the translation file
// found when the face's keys are translated, and each caption of the
// window's section ("Kelvane") looked up once, since notifications and
// tooltips are made on every tick.
#pragma once

#include <QString>

#include <map>
#include <string>
#include <vector>

class IPrivateProfile;
class QWidget;

class CWindowLanguage {
public:
    static constexpr const char* kSection = "Kelvane";

    // profile must outlive this object. languageCode as CLanguage gives it.
    CWindowLanguage(const IPrivateProfile& profile, std::string languageCode);

    // The captions of the controls of window with these ids; the file used
    // from then on is the one found here (none: the English captions).
    void TranslateControls(QWidget& window, const std::vector<int>& controlIds);
    // A caption of the section, as found in the file.
    QString Tr(const char* english) const;
    // Every caption under root, looked up in the section.
    void TranslateTree(QWidget& root) const;
    const std::string& File() const { return m_strFile; }

private:
    const IPrivateProfile& m_profile;
    std::string m_strLanguageCode;
    std::string m_strFile;
    mutable std::map<std::string, QString> m_captions;
};
