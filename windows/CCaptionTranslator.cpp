#include "windows/CCaptionTranslator.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <filesystem>
#include <system_error>

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
        SetCaption(*control, m_profile.GetString(path, section, caption, caption, 256));
    }
    return path;
}
