#include "windows/CSubScreenPanel.h"

#include "skin/CSkinLibrary.h"
#include "windows/ISubScreenHost.h"

#include <QPainter>

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
}
