// Replaces a window's English captions with those of the user's translation
// file "kelvane" + language code + ".ini" in the process's current directory
// (not the program directory). In the window's section of that file, each key
// is an English caption and its value the caption to show.
#pragma once

#include <QString>

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

    // One caption of section: its translation, or english itself when
    // there is no file or no entry for it. For the captions that are not a
    // control's own (window titles, group titles, tabs, menus, tooltips).
    QString Translate(std::string_view section, const QString& english) const;
    // The same from a given translation file (a window that found its file
    // at start keeps using it); english itself for an empty path.
    static QString Lookup(const IPrivateProfile& profile, const std::string& path, std::string_view section,
                          const QString& english);

    // Every caption under root, root's window title included: labels,
    // buttons, group titles, tabs and tooltips, each looked up in section.
    // For windows whose captions are all fixed texts.
    void TranslateTree(QWidget& root, std::string_view section) const;
    static void TranslateTree(const IPrivateProfile& profile, const std::string& path, QWidget& root,
                              std::string_view section);

    // The caption a control shows: a button's or label's text, a group box's
    // title, otherwise the window title.
    static std::string Caption(const QWidget& control);
    static void SetCaption(QWidget& control, const std::string& caption);

private:
    const IPrivateProfile& m_profile;
    std::string m_strLanguageCode;
};
