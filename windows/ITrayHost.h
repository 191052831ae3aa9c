// The desktop's notification area as the tray icon object sees it: put an
// icon with a tooltip into it, take it out again, show a balloon, say where
// the icon is, and report the user's mouse actions on the icon and the
// arrival of a (new) tray host. The real one is CQtTrayHost over
// QSystemTrayIcon; tests use a scripted host.
#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

#include <functional>

class ITrayHost {
public:
    // The mouse actions the icon reports, named after what the user did.
    enum class Mouse { LeftButtonUp, LeftButtonDoubleClick, RightButtonUp, MiddleButtonUp };
    using MouseHandler = std::function<void(Mouse)>;
    // A tray host appeared: one that was missing has started, or the running
    // one was restarted and has forgotten every icon.
    using TrayStartHandler = std::function<void()>;

    virtual ~ITrayHost() = default;

    // True while a notification area exists to take an icon.
    virtual bool IsAvailable() const = 0;
    // Puts the icon into the notification area, or registers it anew when it
    // is there already; false when there is no notification area.
    virtual bool Add(const QIcon& icon, const QString& tooltip) = 0;
    // Changes the icon and the tooltip of a shown icon in place.
    virtual void Update(const QIcon& icon, const QString& tooltip)
    {
        (void)icon;
        (void)tooltip;
    }
    // Takes the icon out; true when it is no longer shown.
    virtual bool Remove() = 0;
    // A balloon message at the icon; iconKind 0 none, 1 information,
    // 2 warning, 3 error.
    virtual void ShowBalloon(const QString& title, const QString& text, int iconKind, int milliseconds) = 0;
    // Where the icon is on the screen; empty when the host does not say.
    virtual QRect IconGeometry() const = 0;

    virtual void SetMouseHandler(MouseHandler handler) = 0;
    virtual void SetTrayStartHandler(TrayStartHandler handler) = 0;
};
