// The common ground of the six sub-screen panels: a 324 x 105 child of the
// main window that paints a background bitmap of the skin stretched over
// itself with the panel's captions over it, and the way its controls carry
// their ids.
#pragma once

#include "skin/SkinCaption.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class ISubScreenHost;

class CSubScreenPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 324;
    static constexpr int kHeight = 105;
    int DialogId() const { return m_nDialogId; }
    int BackgroundId() const { return m_nBackgroundId; }

    // Gives a control its id as objectName and as the "controlId" property.
    static void SetControlId(QWidget* control, int id);

    // Puts the captions drawn over the background into the user's language
    // (English until then); a "%1" in one is its place's number from 1.
    void TranslateCaptions(const std::function<QString(const char*)>& translate);
    // The captions as drawn.
    QStringList Captions() const { return m_captions; }

protected:
    CSubScreenPanel(ISubScreenHost& host, int dialogId, int backgroundId, QWidget* parent);
    ISubScreenHost& Host() const { return m_host; }
    // The words the panel draws over its background, in English.
    void SetCaptionPlaces(std::vector<SkinCaption::SPlace> places);

    void paintEvent(QPaintEvent* event) override;

private:
    ISubScreenHost& m_host;
    int m_nDialogId;
    int m_nBackgroundId;
    std::vector<SkinCaption::SPlace> m_places;
    QStringList m_captions;
};
