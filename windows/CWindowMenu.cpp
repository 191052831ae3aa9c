#include "windows/CWindowMenu.h"

#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include <utility>

CWindowMenu::CWindowMenu(QWidget& window, std::function<QString(const char*)> tr, std::function<void()> showAbout)
    : m_window(window), m_tr(std::move(tr)), m_showAbout(std::move(showAbout))
{
    // Window managers take Alt+Space for their own menu; the menu key and
    // Shift+F10, the keys of a context menu, are left to the window.
    for (const QKeySequence& key : {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::SHIFT | Qt::Key_F10),
                                    QKeySequence(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(key, &window);
        QObject::connect(menuKey, &QShortcut::activated, &window,
                         [this] { Popup(m_window.mapToGlobal(QPoint(0, 0))); });
    }
}

void CWindowMenu::Popup(const QPoint& globalPos) { Menu().popup(globalPos); }

QMenu& CWindowMenu::Menu()
{
    if (m_pMenu == nullptr) {
        m_pMenu = new QMenu(&m_window);
        m_pMenu->addAction(m_tr("&About Kelvane..."), &m_window, [this] { m_showAbout(); });
    }
    return *m_pMenu;
}
