#include "skin/CSkinButton.h"

#include <QPainterPath>

#include "skin/CSkinLibrary.h"
#include "skin/SkinDraw.h"
#include "skin/SkinRegion.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

CSkinButton::CSkinButton(const CSkinLibrary* library, QWidget* parent)
    : QAbstractButton(parent)
    , m_pLibrary(library)
    , m_crText(ColorrefFromColor(palette().color(QPalette::ButtonText)))
{
    // Hover is tracked from plain mouse moves.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

int CSkinButton::KindFromStyle(quint32 style)
{
    if ((style & 3) == 3)
        return kCheckBox;
    if ((style & 9) == 9)
        return kRadio;
    return kPush;
}

void CSkinButton::SetKind(int kind)
{
    m_nKind = (kind == kCheckBox || kind == kRadio) ? kind : kPush;
    if (m_nKind == kPush && m_nChecked) {
        m_nChecked = 0;
        update();
    }
}

int CSkinButton::ClampDrawMode(int drawMode)
{
    return drawMode > 1 ? kDrawTile : (drawMode < 0 ? kDrawNormal : drawMode);
}

int CSkinButton::ClampFocusMargin(int focusMargin)
{
    return focusMargin < 0 ? 0 : focusMargin;
}

void CSkinButton::ApplySkin(int normal, int pressed, int hover, int disabled, int focus, int mask,
                            int drawMode, int border, int focusMargin)
{
    const auto load = [this](int id) { return (m_pLibrary && id) ? m_pLibrary->Image(id) : QImage(); };
    Images images;
    images.normal = load(normal);
    images.pressed = load(pressed);
    images.hover = load(hover);
    images.disabled = disabled ? load(disabled) : (normal ? images.normal : QImage());
    images.focus = load(focus);
    images.mask = load(mask);
    ApplySkinImages(images, drawMode, border, focusMargin);
}

void CSkinButton::ApplySkinImages(const Images& images, int drawMode, int border, int focusMargin)
{
    m_images = images;
    m_nDrawMode = ClampDrawMode(drawMode);
    m_nBorder = border;
    m_nFocusMargin = ClampFocusMargin(focusMargin);
    if (!m_images.mask.isNull()) {
        const SkinRegion shape = BuildRegionFromMask(m_images.mask, 0xFFFFFF);
        if (shape.valid)
            setMask(shape.region);
        if (m_nDrawMode == kDrawNormal)
            resize(m_images.mask.size());
    }
    repaint();
}

void CSkinButton::SetTipText(const QString& text)
{
    setToolTip(text);
}

void CSkinButton::SetCheck(int check)
{
    m_nChecked = check != 0 ? 1 : 0;
    if (m_nKind == kPush)
        m_nChecked = 0;
    else if (m_nKind == kRadio && check != 0)
        PostGroupUncheck();
    update();
}

void CSkinButton::PostGroupUncheck()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const auto siblings = parent->findChildren<CSkinButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (CSkinButton* other : siblings) {
        if (other != this && other->m_nKind == kRadio && other->m_nGroup == m_nGroup)
            QCoreApplication::postEvent(other, new QEvent(kGroupUncheckEvent));
    }
}

void CSkinButton::SetTextColour(Colorref colour)
{
    m_crText = colour;
    update();
}

QSize CSkinButton::sizeHint() const
{
    if (!m_images.mask.isNull() && m_nDrawMode == kDrawNormal)
        return m_images.mask.size();
    if (!m_images.normal.isNull())
        return m_images.normal.size();
    return QSize(75, 23);
}

bool CSkinButton::event(QEvent* event)
{
    if (event->type() == kGroupUncheckEvent) {
        if (m_nChecked) {
            m_nChecked = 0;
            update();
        }
        return true;
    }
    return QAbstractButton::event(event);
}

bool CSkinButton::hitButton(const QPoint& pos) const
{
    const QRegion shape = mask();
    return shape.isEmpty() ? rect().contains(pos) : shape.contains(pos);
}

void CSkinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_bHover) {
            m_bHover = false;
            update();
        }
        if (hitButton(event->position().toPoint()))
            m_bHeld = true;
    }
    QAbstractButton::mousePressEvent(event);
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        // The check state changes before the click is reported, so the owner's
        // clicked handler already reads the new state. A release away from the
        // button (or after the hold was broken by a focus change) changes nothing.
        if (m_bHeld && m_nKind != kPush && hitButton(event->position().toPoint()))
            SetCheck(m_nKind == kCheckBox ? !m_nChecked : 1);
        m_bHeld = false;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bHeld && (event->buttons() & Qt::LeftButton)) {
        // The pushed look follows whether the pointer is over the button.
        QAbstractButton::mouseMoveEvent(event);
        return;
    }
    if (!m_bHover && hitButton(event->position().toPoint())) {
        m_bHover = true;
        update();
    }
    event->ignore();
}

void CSkinButton::leaveEvent(QEvent* event)
{
    if (m_bHover) {
        m_bHover = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    m_bKeyboardFocus = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void CSkinButton::focusOutEvent(QFocusEvent* event)
{
    m_bKeyboardFocus = false;
    if (m_bHeld) {
        m_bHeld = false;
        setDown(false);
    }
    QAbstractButton::focusOutEvent(event);
}

void CSkinButton::SetFocusRing(Colorref colour)
{
    m_bFocusRing = true;
    m_crFocusRing = colour;
    update();
}

void CSkinButton::keyPressEvent(QKeyEvent* event)
{
    if (m_bActivatesOnReturn && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        animateClick();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && m_nKind != kPush)
        SetCheck(m_nKind == kCheckBox ? !m_nChecked : 1);
    QAbstractButton::keyPressEvent(event);
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    const int inset = m_nFocusMargin + 2;
    QRect textRect = r.adjusted(inset, 0, -inset, 0);
    const QString caption = text();
    const int textFlags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const auto drawImageOrFace = [&](const QImage& image) {
        if (!image.isNull())
            DrawSkinBitmap(painter, image, m_images.mask, r, m_nDrawMode);
        else
            painter.fillRect(r, palette().color(QPalette::Button));
    };

    if (!isEnabled()) {
        drawImageOrFace(m_images.disabled);
        if (m_nBorder)
            qDrawWinButton(&painter, r, palette(), false);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(textRect, textFlags, caption);
        textRect.translate(-1, -1);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
        painter.drawText(textRect, textFlags, caption);
        return;
    }

    bool sunken = false;
    if (isDown() || m_nChecked) {
        drawImageOrFace(m_images.pressed);
        textRect.translate(1, 1);
        sunken = true;
    } else if (!m_images.normal.isNull()) {
        const QImage* image = &m_images.normal;
        if (m_bHover && !m_images.hover.isNull())
            image = &m_images.hover;
        else if (hasFocus() && !m_images.focus.isNull())
            image = &m_images.focus;
        DrawSkinBitmap(painter, *image, m_images.mask, r, m_nDrawMode);
    } else {
        painter.fillRect(r, palette().color(QPalette::Button));
    }
    if (m_nBorder)
        qDrawWinButton(&painter, r, palette(), sunken);
    if (hasFocus() && m_nFocusMargin > 0) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        const int m = m_nFocusMargin;
        painter.drawRect(r.adjusted(m, m, -m - 1, -m - 1));
    }
    painter.setPen(ColorFromColorref(m_crText));
    painter.drawText(textRect, textFlags, caption);
    if (hasFocus() && m_bFocusRing && m_bKeyboardFocus) {
        // Along the outline of the shaped button: half of a 3-pixel pen
        // lies inside the mask and stays visible.
        QPainterPath outline;
        outline.addRegion(mask().isEmpty() ? QRegion(r) : mask());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.strokePath(outline.simplified(), QPen(ColorFromColorref(m_crFocusRing), 3));
    }
}
