#include "windows/CSubScreenPanel.h"

#include "skin/CSkinLibrary.h"
#include "windows/ISubScreenHost.h"

#include <QPainter>

#include <utility>

CSubScreenPanel::CSubScreenPanel(ISubScreenHost& host, int dialogId, int backgroundId, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_nDialogId(dialogId)
    , m_nBackgroundId(backgroundId)
{
    setObjectName(QString::number(dialogId));
    setProperty("controlId", dialogId);
    resize(kWidth, kHeight);
    // The bitmap covers the whole panel; nothing of the main window shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSubScreenPanel::SetControlId(QWidget* control, int id)
{
    control->setObjectName(QString::number(id));
    control->setProperty("controlId", id);
}

void CSubScreenPanel::SetCaptionPlaces(std::vector<SkinCaption::SPlace> places)
{
    m_places = std::move(places);
    TranslateCaptions([](const char* english) { return QString::fromUtf8(english); });
}

void CSubScreenPanel::TranslateCaptions(const std::function<QString(const char*)>& translate)
{
    m_captions.clear();
    for (std::size_t i = 0; i < m_places.size(); ++i) {
        const QString caption = translate(m_places[i].text);
        m_captions << (caption.contains(QLatin1String("%1")) ? caption.arg(i + 1) : caption);
    }
    update();
}

void CSubScreenPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage background = m_host.Skin().Image(m_nBackgroundId);
    if (background.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), background);
    for (qsizetype i = 0; i < m_captions.size(); ++i)
        SkinCaption::DrawPlace(painter, m_places[static_cast<std::size_t>(i)], m_captions[i]);
}
