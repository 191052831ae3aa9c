// Modal message boxes with the classic style bits and answers.
#pragma once

#include <string>

namespace MessageBoxStyle {
inline constexpr unsigned kOk = 0x00;
inline constexpr unsigned kOkCancel = 0x01;
inline constexpr unsigned kYesNoCancel = 0x03;
inline constexpr unsigned kYesNo = 0x04;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconWarning = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kButtonMask = 0x0F;
inline constexpr unsigned kIconMask = 0xF0;
}  // namespace MessageBoxStyle

namespace MessageBoxResult {
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
}  // namespace MessageBoxResult

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows text with caption and the buttons and icon of style; returns the
    // MessageBoxResult of the button pressed.
    virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;
};
