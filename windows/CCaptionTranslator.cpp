#include "windows/CCaptionTranslator.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

#include <filesystem>
#include <system_error>

namespace {

// The profile cuts a value at 255 bytes; a translation in UTF-8 may lose the
// tail of its last character there, which would show as a replacement mark.
std::string WithoutBrokenLastCharacter(std::string text)
{
    std::size_t lead = text.size();
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead == 0) return text;
    const auto first = static_cast<unsigned char>(text[lead - 1]);
    const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (text.size() - (lead - 1) < length) text.resize(lead - 1);
    return text;
}

}  // namespace

CCaptionTranslator::CCaptionTranslator(const IPrivateProfile& profile, std::string languageCode)
    : m_profile(profile), m_strLanguageCode(std::move(languageCode))
{
}

std::string CCaptionTranslator::TranslationFilePath() const
{
    std::error_code error;
    const std::string directory = std::filesystem::current_path(error).string();
    return directory + "/kelvane" + m_strLanguageCode + ".ini";
}

std::string CCaptionTranslator::Caption(const QWidget& control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text().toStdString();
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text().toStdString();
    if (const auto* group = qobject_cast<const QGroupBox*>(&control)) return group->title().toStdString();
    return control.windowTitle().toStdString();
}

void CCaptionTranslator::SetCaption(QWidget& control, const std::string& caption)
{
    const QString text = QString::fromStdString(caption);
    if (auto* button = qobject_cast<QAbstractButton*>(&control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(&control))
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(&control))
        group->setTitle(text);
    else
        control.setWindowTitle(text);
}

std::string CCaptionTranslator::TranslateCaptions(QWidget& window, std::string_view section,
                                                  const std::vector<int>& controlIds) const
{
    const std::string path = TranslationFilePath();
    if (!m_profile.CanOpen(path)) return {};

    for (const int id : controlIds) {
        const QString name = QString::number(id);
        QWidget* control = window.objectName() == name ? &window : window.findChild<QWidget*>(name);
        if (control == nullptr) continue;
        const std::string caption = Caption(*control);
        SetCaption(*control, WithoutBrokenLastCharacter(m_profile.GetString(path, section, caption, caption, 256)));
    }
    return path;
}

QString CCaptionTranslator::Translate(std::string_view section, const QString& english) const
{
    return Lookup(m_profile, TranslationFilePath(), section, english);
}

QString CCaptionTranslator::Lookup(const IPrivateProfile& profile, const std::string& path, std::string_view section,
                                   const QString& english)
{
    if (path.empty() || !profile.CanOpen(path)) return english;
    const std::string key = english.toStdString();
    return QString::fromStdString(WithoutBrokenLastCharacter(profile.GetString(path, section, key, key, 256)));
}

void CCaptionTranslator::TranslateTree(QWidget& root, std::string_view section) const
{
    TranslateTree(m_profile, TranslationFilePath(), root, section);
}

void CCaptionTranslator::TranslateTree(const IPrivateProfile& profile, const std::string& path, QWidget& root,
                                       std::string_view section)
{
    if (path.empty() || !profile.CanOpen(path)) return;
    const auto tr = [&](const QString& text) { return text.isEmpty() ? text : Lookup(profile, path, section, text); };
    root.setWindowTitle(tr(root.windowTitle()));
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        if (widget != &root) {
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                button->setText(tr(button->text()));
            else if (auto* label = qobject_cast<QLabel*>(widget))
                label->setText(tr(label->text()));
            else if (auto* group = qobject_cast<QGroupBox*>(widget))
                group->setTitle(tr(group->title()));
        }
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i) tabs->setTabText(i, tr(tabs->tabText(i)));
        widget->setToolTip(tr(widget->toolTip()));
    }
}
