// The captions of the main window's face, drawn over its picture in the
// user's language: the title line, the words under the wells and, in the
// expanded form, those on the rails and the sub-screen panels' own.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class CSubScreenPanels;
class QPainter;

class CFaceCaptions {
public:
    // An English caption's translation.
    using Translate = std::function<QString(const char*)>;

    // Paints the face's own captions (the panels paint theirs): those that
    // reach into exposed, or all when exposed is null. A tick repaints only
    // the wells, and fitting a caption's font is the costly part.
    static void Paint(QPainter& painter, bool expanded, const Translate& translate, const QRect& exposed = QRect());
    // Every caption on the face as painted now, the panels' included when
    // expanded.
    static QStringList List(bool expanded, const CSubScreenPanels& panels, const Translate& translate);
};
