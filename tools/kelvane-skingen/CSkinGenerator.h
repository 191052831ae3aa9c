#pragma once

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QImage>
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

private:
    // What lies behind the button on the face, or a null image for pictures
    // that are not placed on the main window.
    QImage Backdrop(const skinart::SkinBitmap& bitmap) const;

    QImage m_compactFace;
    QImage m_expandedFace;
};
