// The window menu of the frameless face: what a title bar's menu would offer
// (the About box). The face is a caption everywhere, so a right click on it
// opens the menu, and so do the keys of a context menu.
#pragma once

#include <QPoint>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

class CWindowMenu {
public:
    // Binds the menu keys on window; tr gives the entries in the user's
    // language, asked when the menu is first opened.
    CWindowMenu(QWidget& window, std::function<QString(const char*)> tr, std::function<void()> showAbout);

    void Popup(const QPoint& globalPos);

private:
    QMenu& Menu();

    QWidget& m_window;
    std::function<QString(const char*)> m_tr;
    std::function<void()> m_showAbout;
    QMenu* m_pMenu = nullptr;  // a child of the window, made on first use
};
