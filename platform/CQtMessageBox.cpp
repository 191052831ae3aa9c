#include "platform/CQtMessageBox.h"

#include <QMessageBox>
#include <QString>

int CQtMessageBox::Show(const std::string& text, const std::string& caption, unsigned style) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & MessageBoxStyle::kIconMask) {
        case MessageBoxStyle::kIconError: icon = QMessageBox::Critical; break;
        case MessageBoxStyle::kIconQuestion: icon = QMessageBox::Question; break;
        case MessageBoxStyle::kIconWarning: icon = QMessageBox::Warning; break;
        case MessageBoxStyle::kIconInformation: icon = QMessageBox::Information; break;
        default: break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (style & MessageBoxStyle::kButtonMask) {
        case MessageBoxStyle::kOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MessageBoxStyle::kYesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
        case MessageBoxStyle::kYesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
        default: break;
    }
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons, m_owner);
    switch (box.exec()) {
        case QMessageBox::Cancel: return MessageBoxResult::kCancel;
        case QMessageBox::Yes: return MessageBoxResult::kYes;
        case QMessageBox::No: return MessageBoxResult::kNo;
        default: return MessageBoxResult::kOk;
    }
}
