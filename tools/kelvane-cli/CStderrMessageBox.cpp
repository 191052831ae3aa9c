#include "tools/kelvane-cli/CStderrMessageBox.h"

int CStderrMessageBox::Show(const std::string& text, const std::string& caption, unsigned style) {
    m_err << "kelvane-cli: " << (caption.empty() ? "" : caption + ": ") << text << std::endl;
    switch (style & MessageBoxStyle::kButtonMask) {
        case MessageBoxStyle::kOk: return MessageBoxResult::kOk;
        case MessageBoxStyle::kYesNo: return MessageBoxResult::kNo;
        default: return MessageBoxResult::kCancel;
    }
}
