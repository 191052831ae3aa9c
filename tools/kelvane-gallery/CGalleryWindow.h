#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

class CSkinLibrary;
class CSkinButton;
class CGallerySubScreen;

// The main window as the program lays it out, built from the skin's own
// controls over the face bitmap: the buttons with their images and masks,
// the three segment displays and the six labels, and in the expanded form the
// sub-screens. Readings are samples.
class CGalleryWindow : public QWidget {
public:
    enum class ButtonState { Normal, Hover, Pressed, Disabled };

    CGalleryWindow(const CSkinLibrary& library, bool expanded, bool graphs);

    // Puts every button of the face into one state (hover as if the pointer
    // were over each).
    void SetButtonState(ButtonState state);

    // Shows the voltage reading out of range (red) and the fan switched off.
    void ShowAlarm();

    // The window as the screen shows it: white outside its outline.
    QImage Render();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const CSkinLibrary& m_library;
    bool m_bExpanded;
    QRegion m_outline;
    QList<CSkinButton*> m_buttons;
    QList<CGallerySubScreen*> m_panels;
};
