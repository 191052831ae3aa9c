#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// The skin bitmaps of the program, by resource id. Each id is one image file
// "<directory>/<id>.png" (the program directory's "skin" folder in a running
// program). Images are read once and kept; an id without a file gives a null
// image, which the widgets treat as an empty slot.
class CSkinLibrary {
public:
    explicit CSkinLibrary(QString directory);

    // The skin folder inside a program directory.
    static QString SkinDirectory(const QString& programDirectory);

    const QString& Directory() const { return m_strDirectory; }

    // Id 0 means "no image" and gives a null image without touching the disk.
    QImage Image(int id) const;
    // The same image without keeping it, for a bitmap looked at once in a
    // while (a form's outline, whose shape the window keeps as a region);
    // one kept already is not read again.
    QImage Load(int id) const;

private:
    QImage Read(int id) const;

    QString m_strDirectory;
    mutable QHash<int, QImage> m_cache;
};
