#include "skin/CSkinLogo.h"

#include "skin/SkinCaption.h"

#include <QPainter>

CSkinLogo::CSkinLogo(const QImage& picture, QWidget* parent)
    : QLabel(QString::fromUtf8(SkinCaption::kLogoCaption.text), parent)
    , m_picture(picture)
{
}

QSize CSkinLogo::sizeHint() const { return m_picture.isNull() ? QLabel::sizeHint() : m_picture.size(); }

QImage CSkinLogo::Rendered() const
{
    QImage image = m_picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    Draw(painter);
    return image;
}

void CSkinLogo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter);
}

void CSkinLogo::Draw(QPainter& painter) const
{
    painter.drawImage(0, 0, m_picture);
    if (!m_picture.isNull()) SkinCaption::DrawPlace(painter, SkinCaption::kLogoCaption, text(), SkinCaption::kLogoInk);
}
