#pragma once

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QImage>

#include <array>
#include <QString>

// Draws every bitmap of the skin catalogue. The faces are drawn first because
// the main window's buttons blend their edges into the face behind them.
class CSkinGenerator {
public:
    CSkinGenerator();

    // The finished picture of one catalogue row: 24-bit RGB, except the
    // program icon, which keeps its transparency.
    QImage Render(const skinart::SkinBitmap& bitmap) const;

    // Writes <directory>/<id>.png for every row; false (with the file that
    // failed in error) when a file cannot be written.
    bool WriteAll(const QString& directory, QString* error) const;

    // The desktop icon sizes of the hicolor theme.
    static constexpr std::array<int, 8> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

    // Writes <themeDirectory>/<N>x<N>/apps/kelvane.png for every icon size.
    bool WriteIcons(const QString& themeDirectory, QString* error) const;

private:
    // What lies behind the button on the face, or a null image for pictures
    // that are not placed on the main window.
    QImage Backdrop(const skinart::SkinBitmap& bitmap) const;

    QImage m_compactFace;
    QImage m_expandedFace;
};
