#pragma once

#include <QImage>
#include <QWidget>

class CSkinLibrary;

// Every control of the skin in each of its states, on the part of the skin it
// sits on in the program: the skin buttons (normal, hover, pressed, disabled),
// the alarm lamp, the segment displays in their colour schemes and styles,
// the ruler slider and the transparent labels.
class CControlSheet : public QWidget {
public:
    explicit CControlSheet(const CSkinLibrary& library);

    // The sheet at twice its size, so the pixels can be judged.
    QImage Render();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int AddButtonRows(int top);
    int AddDisplayRows(int top);
    int AddSliderAndLabelRows(int top);
    void AddHeading(int top, const QString& text);

    const CSkinLibrary& m_library;
};
