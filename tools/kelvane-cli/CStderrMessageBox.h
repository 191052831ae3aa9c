// The message box seam of a terminal program: the box becomes one line on
// the error stream, and a question is answered with its cautious button.
#pragma once

#include <ostream>

#include "platform/IMessageBox.h"

class CStderrMessageBox : public IMessageBox {
public:
    explicit CStderrMessageBox(std::ostream& err) : m_err(err) {}
    // Prints "kelvane-cli: CAPTION: TEXT" (or without the caption when it is
    // empty). OK boxes answer OK, yes/no boxes No, the others Cancel: with
    // nobody to ask, nothing is agreed to.
    int Show(const std::string& text, const std::string& caption, unsigned style) override;

private:
    std::ostream& m_err;
};
