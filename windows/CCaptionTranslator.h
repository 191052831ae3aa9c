// Replaces a window's English captions with those of the user's translation
// file "kelvane" + language code + ".ini" in the process's current directory
// (not the program directory). In the window's section of that file, each key
// is an English caption and its value the caption to show.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/IPrivateProfile.h"

class QWidget;

class CCaptionTranslator {
public:
    // The store must outlive this object. languageCode as CLanguage gives it
    // ("DEU"; empty for a language outside the table, which names the file
    // "kelvane.ini").
    CCaptionTranslator(const IPrivateProfile& profile, std::string languageCode);

    // The current directory + "/kelvane" + code + ".ini".
    std::string TranslationFilePath() const;

    // For each control id in order: the widget whose objectName is the id
    // (the window itself when its own objectName is the id), its caption
    // looked up as a key of section, the caption itself as default, at most
    // 255 characters. Nothing changes when the file cannot be opened.
    // Returns the file used, or empty text when there was none.
    std::string TranslateCaptions(QWidget& window, std::string_view section, const std::vector<int>& controlIds) const;

    // The caption a control shows: a button's or label's text, a group box's
    // title, otherwise the window title.
    static std::string Caption(const QWidget& control);
    static void SetCaption(QWidget& control, const std::string& caption);

private:
    const IPrivateProfile& m_profile;
    std::string m_strLanguageCode;
};
