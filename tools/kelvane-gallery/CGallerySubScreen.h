#pragma once

#include <QWidget>

class CSkinLibrary;

// A sub-screen as the expanded main window shows it, built from the skin's
// own controls: the numeric panel (alarm lamps, blue segment values, units,
// names) or a graph panel (a sample strip chart and the coloured item boxes).
// The values are samples; the panels of the program fill them from the engine.
class CGallerySubScreen : public QWidget {
public:
    enum class Area { Voltage, Fan, Temperature };

    CGallerySubScreen(const CSkinLibrary& library, Area area, bool graph, QWidget* parent);

    // Puts the lamp of the second slot in alarm (numeric panels).
    void ShowAlarm();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildNumeric();
    void BuildGraph();

    const CSkinLibrary& m_library;
    Area m_area;
    bool m_bGraph;
};
