#pragma once

#include "skin/SkinColour.h"

#include <QHash>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class CLaidOutText;

// Static-control style bits that shape how a label lays out its text.
inline constexpr std::uint32_t SS_CENTER = 0x0001;
inline constexpr std::uint32_t SS_RIGHT = 0x0002;
inline constexpr std::uint32_t SS_NOPREFIX = 0x0080;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
inline constexpr std::uint32_t SS_ENDELLIPSIS = 0x4000;
inline constexpr std::uint32_t SS_PATHELLIPSIS = 0x8000;

// Draw-text flags (the values of the text drawing call the styles map onto).
inline constexpr std::uint32_t DT_CENTER = 0x0001;
inline constexpr std::uint32_t DT_RIGHT = 0x0002;
inline constexpr std::uint32_t DT_VCENTER = 0x0004;
inline constexpr std::uint32_t DT_WORDBREAK = 0x0010;
inline constexpr std::uint32_t DT_SINGLELINE = 0x0020;
inline constexpr std::uint32_t DT_NOPREFIX = 0x0800;
inline constexpr std::uint32_t DT_PATH_ELLIPSIS = 0x4000;
inline constexpr std::uint32_t DT_END_ELLIPSIS = 0x8000;
inline constexpr std::uint32_t DT_WORD_ELLIPSIS = 0x40000;

// The draw-text flags of a static control's style: alignment from the low two
// bits, centred-image as vertically centred single line, no-prefix, the
// ellipsis bits, and word breaking unless the style has a centred-image,
// ellipsis or non-text static type bit (style & 0xC20C).
std::uint32_t DrawTextFlagsFromStyle(std::uint32_t style);

// The same as Qt text flags and an elide mode.
struct StaticTextFormat {
    int flags = 0;                         // Qt::AlignmentFlag | Qt::TextFlag
    Qt::TextElideMode elide = Qt::ElideNone;
};
StaticTextFormat TextFormatFromDrawTextFlags(std::uint32_t drawTextFlags);

// A label that draws only its text, in its own colour (0x00BBGGRR), over
// whatever its parent painted beneath it.
class CTransparentStatic : public QWidget {
    Q_OBJECT

public:
    explicit CTransparentStatic(std::uint32_t style = 0, QWidget* parent = nullptr);

    // An equal text changes nothing; a new one has the parent repaint the
    // area under the label first, so the old text is gone.
    void SetText(const QString& text);
    const QString& Text() const { return m_strText; }

    // Takes effect at the next paint.
    void SetTextColour(Colorref colour) { m_crText = colour; }
    Colorref TextColour() const { return m_crText; }

    void SetStyle(std::uint32_t style);
    std::uint32_t Style() const { return m_nStyle; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The text as drawn: cut to the width with an ellipsis where the style
    // says so, and laid out. A face's label takes turns with a few names,
    // each in a font and style fitted to it, so both are kept per text for
    // each of the last few fonts, sizes and styles.
    struct SShown {
        QString text;
        std::shared_ptr<const CLaidOutText> laidOut;  // null: drawText draws it
    };
    struct SFace {
        QFont font;
        QSize size;
        std::uint32_t style = 0;
        QHash<QString, SShown> shown;
    };
    const SShown& Shown(const StaticTextFormat& format);

    static constexpr qsizetype kMaxShown = 32;
    static constexpr std::size_t kMaxFaces = 8;

    Colorref m_crText = 0x000000;
    QString m_strText;
    std::uint32_t m_nStyle;
    std::vector<SFace> m_faces;  // the last used at the back
    bool m_faceKnown = false;    // the back is this label's font, size and style
};
