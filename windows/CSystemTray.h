// The program's icon in the desktop's notification area: a tooltip, a popup
// menu on a right click, the menu's default command on a double click, and
// the moves of the main window into the tray and out of it.
//
// Commands reach the target window as the Command signal with the command id
// (the menu's ids below). The object keeps four flags:
// - enabled: AddTrayIcon has set the object up (every Linux desktop family
//   supports notification icons; whether a tray is running is the host's
//   business);
// - hidden: the icon is not shown (asked for hidden, or the add failed);
// - removed: the icon is not in the notification area;
// - re-add: the icon is wanted in the notification area. AddTrayIcon sets it
//   for every icon not asked hidden, whether the add succeeded or not, and
//   DeleteTrayIcon clears it. While it is set, a tray host that appears (a
//   restarted panel, or the first one after a start without any) gets the
//   icon again through ReAddTrayIcon, so a window sent to the tray can always
//   be brought back.
#pragma once

#include "windows/ITrayHost.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QMenu;
class QPropertyAnimation;
class QWidget;

class CSystemTray : public QObject {
    Q_OBJECT

public:
    // The main window's icon: id 185 (also the menu's id), icon resource 128.
    static constexpr unsigned kIconId = 185;
    static constexpr int kIconResource = 128;
    // The tooltip before the first reading; the main window adds the
    // readings to it.
    static constexpr const char* kTooltip = "Kelvane";

    // The popup menu's commands. 32771 shows the window again ("&Show").
    static constexpr int kShow = 32771;
    static constexpr int kMaximize = kShow;
    static constexpr int kMinimize = 32772;
    static constexpr int kExit = 32773;
    static constexpr int kAbout = 32774;
    // The history window.
    static constexpr int kHistory = 32775;

    // Text limits of the notification record, terminating byte excluded.
    static constexpr std::size_t kTooltipBytes = 127;
    static constexpr std::size_t kBalloonTextBytes = 255;
    static constexpr std::size_t kBalloonTitleBytes = 63;

    // The fly-to-tray animation's length.
    static constexpr int kAnimationMs = 250;

    struct Balloon {
        std::string text;
        std::string title;
        int iconKind = 0;  // 0 none, 1 information, 2 warning, 3 error
        int timeoutSeconds = 10;
    };

    // Whether the desktop animates windows; IsMinimiseAnimationOn in the
    // program, a fixed answer in tests.
    using AnimationSwitch = std::function<bool()>;

    // The host must outlive this object. Built with no icon: enabled false,
    // hidden and removed true, re-add false, default item 0 by position.
    explicit CSystemTray(ITrayHost& host, AnimationSwitch animationsOn = &CSystemTray::IsMinimiseAnimationOn,
                         QObject* parent = nullptr);
    // Takes the icon out of the notification area.
    ~CSystemTray() override;
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Puts the icon into the notification area. target: the window that
    // receives the commands (and is brought forward by a double click); the
    // tooltip is cut to 127 bytes. A hidden icon is not added (true). False
    // when the add failed, e.g. without a notification area; the icon is then
    // marked hidden and removed, and comes when a tray host appears.
    bool AddTrayIcon(QWidget* target, const QIcon& icon, std::string_view tooltip, unsigned id, bool hidden = false,
                     const std::optional<Balloon>& balloon = std::nullopt);
    // Takes the icon out; true when it is out (also when it never was in).
    bool DeleteTrayIcon();
    // Adds the icon again when it is wanted (re-add flag); true when it is
    // shown afterwards. Called when a tray host appears.
    bool ReAddTrayIcon();

    // A new icon and tooltip (cut to 127 bytes), shown at once when the
    // icon is in the notification area and used by every later add.
    void SetIcon(const QIcon& icon, std::string_view tooltip);
    // The alarm variant of an icon: the same picture with a red warning
    // badge in its lower right corner, at every size the icon has.
    static QIcon AlarmVariant(const QIcon& icon);

    // The menu's entries in the user's language (each English text through
    // translation, once).
    void TranslateMenu(const std::function<QString(const QString&)>& translation);
    // The menu's entries as shown.
    QStringList MenuTexts() const;

    // Makes a menu item the default (shown bold, run by a double click):
    // byPosition true: item is a position in the menu, else a command id.
    // Nothing to do when the pair is the stored one. False, and nothing
    // changes, for a position or command that names no menu command.
    bool SetDefaultMenuItem(int item, bool byPosition);

    // A mouse action on icon id: right button up opens the menu at the
    // cursor; a double click sends the default command to the target.
    // Result 0 (ignored) for another id or with no target window, else 1.
    int HandleTrayMessage(unsigned id, ITrayHost::Mouse message);

    // The main window into the tray: it flies to the tray rectangle when the
    // desktop animates (never blocking) and leaves the screen and the
    // taskbar at once.
    bool AnimateToTray(QWidget& window);
    // And back: it flies from the tray and is shown, raised and activated
    // when it lands (at once without animation). A later move cancels one
    // still in flight.
    bool AnimateFromTray(QWidget& window);
    // True while a fly-to or fly-from animation runs.
    bool IsAnimating() const;

    // A hidden window has no taskbar button on any Linux desktop, so leaving
    // the taskbar is hiding; true.
    static bool DetachFromTaskbar(QWidget& window);
    // The desktop's window animations: Qt's general UI effects switch, which
    // the platform theme takes from the desktop settings; off on Wayland,
    // where no window can be placed at screen coordinates.
    static bool IsMinimiseAnimationOn();

    // Where the notification area is: the icon's own geometry when the host
    // gives it, else by the taskbar rules over the screen of window (the
    // primary screen when none) and its available geometry.
    QRect FindTrayRect(const QWidget* window = nullptr) const;
    // The same rules on plain rectangles.
    static QRect FindTrayRect(const QRect& iconGeometry, const QRect& screen, const QRect& availableGeometry);

    // The program's icon from its skin bitmap, or a plain drawn icon when the
    // skin has none (an icon must always exist, or the window could not come
    // back from the tray).
    static QIcon IconFromImage(const QImage& image);
    // Text cut to at most maxBytes bytes of UTF-8 without splitting a character.
    static std::string CutToBytes(std::string_view text, std::size_t maxBytes);

    bool IsEnabled() const { return m_bEnabled; }
    bool IsHidden() const { return m_bHidden; }
    bool IsRemoved() const { return m_bRemoved; }
    bool IsReAddPending() const { return m_bReAdd; }
    unsigned IconId() const { return m_nId; }
    const QString& Tooltip() const { return m_strTooltip; }
    // The command a double click sends now.
    int DefaultCommand() const;
    QMenu& Menu() { return *m_menu; }
    ITrayHost& Host() { return m_host; }

Q_SIGNALS:
    // A command for the target window: from the menu or a double click.
    void Command(int commandId);

private:
    void BuildMenu();
    QAction* FindMenuItem(int item, bool byPosition) const;
    void ApplyDefaultItem();
    void FlyRect(const QRect& from, const QRect& to, QWidget& window, bool showAtEnd);
    void StopFlight();
    static void Reveal(QWidget& window);

    ITrayHost& m_host;
    AnimationSwitch m_animationsOn;
    std::unique_ptr<QMenu> m_menu;
    QPointer<QWidget> m_target;
    QIcon m_icon;
    QString m_strTooltip;
    unsigned m_nId = 0;

    bool m_bEnabled = false;
    bool m_bHidden = true;
    bool m_bRemoved = true;
    bool m_bReAdd = false;

    int m_nDefaultItem = 0;
    bool m_bDefaultByPosition = true;

    QPointer<QWidget> m_ghost;
    QPointer<QPropertyAnimation> m_flight;
};
