// The message box seam over QMessageBox.
#pragma once

#include "platform/IMessageBox.h"

class QWidget;

class CQtMessageBox : public IMessageBox {
public:
    // owner is the parent of every box shown; null for boxes without one.
    explicit CQtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}
    int Show(const std::string& text, const std::string& caption, unsigned style) override;

private:
    QWidget* m_owner;
};
