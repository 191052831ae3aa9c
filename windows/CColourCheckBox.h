// A small check box whose caption is drawn in its own colour, as the graph
// panels key each box to its chart line. 0xFF000000 as the colour means the
// default text colour (a light grey that reads on the dark graph panels).
#pragma once

#include "skin/SkinColour.h"

#include <QCheckBox>

class CColourCheckBox : public QCheckBox {
    Q_OBJECT

public:
    static constexpr Colorref kSystemColour = 0xFF000000;

    explicit CColourCheckBox(const QString& text, QWidget* parent = nullptr);

    void SetTextColour(Colorref colour);
    Colorref TextColour() const { return m_crText; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QColor ShownTextColour() const;

    Colorref m_crText = kSystemColour;
};
