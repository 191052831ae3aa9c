// The skin's logo picture with its caption line (the label's text, so that a
// window's translation reaches it like any label's) drawn over it.
#pragma once

#include <QImage>
#include <QLabel>

class CSkinLogo : public QLabel {
    Q_OBJECT

public:
    // picture: the logo as the skin has it; the caption starts English.
    explicit CSkinLogo(const QImage& picture, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The picture as shown: the logo with the caption drawn into it.
    QImage Rendered() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Draw(QPainter& painter) const;

    QImage m_picture;
};
