#include "windows/CFaceCaptions.h"

#include "skin/SkinCaption.h"
#include "windows/CSubScreenPanels.h"

void CFaceCaptions::Paint(QPainter& painter, bool expanded, const Translate& translate)
{
    SkinCaption::DrawPlace(painter, SkinCaption::kTitleCaption, translate(SkinCaption::kTitleCaption.text));
    for (const SkinCaption::SPlace& place : SkinCaption::kWellCaptions)
        SkinCaption::DrawPlace(painter, place, translate(place.text));
    if (expanded)
        for (const SkinCaption::SPlace& place : SkinCaption::kRailCaptions)
            SkinCaption::DrawPlace(painter, place, translate(place.text));
}

QStringList CFaceCaptions::List(bool expanded, const CSubScreenPanels& panels, const Translate& translate)
{
    QStringList captions{translate(SkinCaption::kTitleCaption.text)};
    for (const SkinCaption::SPlace& place : SkinCaption::kWellCaptions) captions << translate(place.text);
    if (expanded) {
        for (const SkinCaption::SPlace& place : SkinCaption::kRailCaptions) captions << translate(place.text);
        captions << panels.Captions();
    }
    return captions;
}
