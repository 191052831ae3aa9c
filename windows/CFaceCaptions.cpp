#include "windows/CFaceCaptions.h"

#include "skin/SkinCaption.h"
#include "windows/CSubScreenPanels.h"

void CFaceCaptions::Paint(QPainter& painter, bool expanded, const Translate& translate, const QRect& exposed)
{
    const auto draw = [&](const SkinCaption::SPlace& place) {
        // The engraving's shadow and light are a pixel off the place, and a
        // fitted font may still reach a little beyond it.
        const QRectF reach = place.rect.adjusted(-4, -4, 4, 4);
        if (exposed.isNull() || reach.intersects(QRectF(exposed)))
            SkinCaption::DrawPlace(painter, place, translate(place.text));
    };
    draw(SkinCaption::kTitleCaption);
    for (const SkinCaption::SPlace& place : SkinCaption::kWellCaptions) draw(place);
    if (expanded)
        for (const SkinCaption::SPlace& place : SkinCaption::kRailCaptions) draw(place);
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
