#pragma once

#include <QHash>
#include <QImage>
#include <QString>

// Puts the skin's pictures together the way the program shows them: a face
// cut by its outline, buttons drawn through their masks at their places, the
// sub-screen backgrounds in their areas. Works on the files alone, so it
// shows exactly what the program will load.
class CSkinComposer {
public:
    explicit CSkinComposer(QString skinDirectory);

    // The picture of one id; a null image when the file is missing.
    QImage Bitmap(int id) const;

    // Every id whose file is missing from the skin folder.
    QList<int> MissingIds(const QList<int>& ids) const;

    // image drawn through mask: pixels where the mask is white are left as
    // they are in target; the mask's size is the control's size.
    static void DrawMasked(QImage& target, int x, int y, const QImage& image, const QImage& mask);

    // The face of one form with its outline applied (white outside).
    QImage Face(bool expanded) const;

    // Which state of the main window's buttons to show.
    enum class State { Normal, Hover, Pressed, Disabled };

    // The face with every button of that form in the given state (the view
    // switches show the program's start: numeric panels, "Back" disabled) and,
    // when expanded, the sub-screen backgrounds (graph ones where graphs is
    // true).
    QImage Window(bool expanded, State state, bool graphs) const;

    // Every control picture in each of its states, labelled, on one sheet.
    QImage ButtonSheet() const;

    // The Display Setting and Monitor Setting pictures and the emblems.
    QImage DialogSheet() const;

private:
    // The surroundings of the control whose mask is maskId, margin pixels
    // round it.
    QImage Backdrop(int maskId, int margin) const;

    QString m_directory;
    mutable QHash<int, QImage> m_cache;
};
