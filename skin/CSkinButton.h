#pragma once

#include "skin/SkinColour.h"

#include <QAbstractButton>
#include <QEvent>
#include <QImage>

class CSkinLibrary;

// A button painted from skin images: normal, pressed, hover, disabled and
// focus images, optionally shaped by a mask (white = outside). It behaves as a
// push button, a check box or a radio button (ButtonKind); a radio button that
// becomes checked posts kGroupUncheckEvent to the other radio buttons of its
// group, which uncheck themselves when they process it.
//
// The group of a radio button is every sibling CSkinButton (same parent
// widget) of radio kind with the same group number (SetGroup, default 0).
//
// The owner gives the button its caption (setText), id (controlId property /
// objectName), tooltip and text colour; it learns of clicks through
// QAbstractButton::clicked, emitted after the check state has changed.
class CSkinButton : public QAbstractButton {
    Q_OBJECT

public:
    enum ButtonKind { kPush = 0, kCheckBox = 2, kRadio = 4 };
    // Posted to the other members of a radio group when one becomes checked.
    static constexpr QEvent::Type kGroupUncheckEvent = QEvent::Type(1280);

    // library resolves the image ids of ApplySkin; it may be null for buttons
    // skinned only through ApplySkinImages, and must outlive the button.
    explicit CSkinButton(const CSkinLibrary* library, QWidget* parent = nullptr);

    // Kind from a button control's style bits: auto check box bits (style & 3
    // == 3) make a check box, auto radio bits (style & 9 == 9) a radio button.
    static int KindFromStyle(quint32 style);
    void SetKindFromStyle(quint32 style) { SetKind(KindFromStyle(style)); }
    void SetKind(int kind);
    int Kind() const { return m_nKind; }
    void SetGroup(int group) { m_nGroup = group; }
    int Group() const { return m_nGroup; }

    // Draw mode above 1 tiles (2), below 0 is normal (0); a negative focus
    // margin is 0 (no focus rectangle).
    static int ClampDrawMode(int drawMode);
    static int ClampFocusMargin(int focusMargin);

    // Images by resource id (0 = none). The disabled image defaults to the
    // normal one. A mask shapes the button; in draw mode 0 the button also
    // takes the mask's size.
    void ApplySkin(int normal, int pressed, int hover, int disabled, int focus, int mask,
                   int drawMode, int border, int focusMargin);

    struct Images {
        QImage normal, pressed, hover, disabled, focus, mask;
    };
    // The same with images already loaded (a null image is an empty slot;
    // disabled is not defaulted here).
    void ApplySkinImages(const Images& images, int drawMode, int border, int focusMargin);

    void SetTipText(const QString& text);

    // Check state: 0 or 1; a push button stays 0. Setting 1 on a radio button
    // unchecks the rest of its group (through posted events).
    void SetCheck(int check);
    int GetCheck() const { return m_nChecked; }

    // Keyboard use: a ring of this colour along the button's outline while
    // it has a focus the keyboard brought (none by default), and Return/Enter clicking it as
    // Space does (off by default: in dialogs Return belongs to the default
    // button).
    void SetFocusRing(Colorref colour);
    void SetActivatesOnReturn(bool activates) { m_bActivatesOnReturn = activates; }
    bool HasFocusRing() const { return m_bFocusRing; }

    void SetTextColour(Colorref colour);
    Colorref TextColour() const { return m_crText; }

    int DrawMode() const { return m_nDrawMode; }
    int Border() const { return m_nBorder; }
    int FocusMargin() const { return m_nFocusMargin; }
    bool IsHover() const { return m_bHover; }
    bool IsHeld() const { return m_bHeld; }
    const Images& SkinImages() const { return m_images; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void PostGroupUncheck();

    const CSkinLibrary* m_pLibrary;
    int m_nChecked = 0;
    int m_nKind = kPush;
    int m_nGroup = 0;
    bool m_bHover = false;
    bool m_bHeld = false;
    Images m_images;
    int m_nFocusMargin = 0;
    Colorref m_crText;
    int m_nBorder = 0;
    int m_nDrawMode = 1;
    bool m_bFocusRing = false;
    Colorref m_crFocusRing = 0;
    bool m_bActivatesOnReturn = false;
    // The ring shows for focus the keyboard brought, not for the focus a
    // window hands its first child when it is activated.
    bool m_bKeyboardFocus = false;
};
