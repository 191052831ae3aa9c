// The six sub-screen panels of the main window's three areas (voltages, fans,
// temperatures), each area a numeric panel and a graph panel of the same size
// at the same place, one of them shown. The panels are children of the main
// window and die with it; this object only keeps pointers to them.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class CFanGraphSubScreen;
class CFanSubScreen;
class CGraphSubScreen;
class CNumericSubScreen;
class CTempGraphSubScreen;
class CTempSubScreen;
class CVoltGraphSubScreen;
class CVoltSubScreen;
class ISubScreenHost;
class QWidget;

class CSubScreenPanels {
public:
    enum class Area { Voltage, Fan, Temperature };

    // Where each area's panels sit in the main window's client area.
    static constexpr QPoint kVoltagePosition{40, 195};
    static constexpr QPoint kFanPosition{40, 314};
    static constexpr QPoint kTemperaturePosition{40, 434};

    // Builds the six panels as children of mainWindow, in this order: the
    // fan, voltage and temperature numeric panels, shown (unless put away)
    // and refreshed (their timers start); then the voltage, temperature and
    // fan graph panels, hidden and set up. Once; a second call does nothing. host must outlive
    // the panels.
    void CreatePanels(QWidget* mainWindow, ISubScreenHost& host);
    bool IsCreated() const { return m_pFan != nullptr; }

    // The panels' captions in the user's language, and as drawn (those of
    // the panels shown).
    void TranslateCaptions(const std::function<QString(const char*)>& translate);
    QStringList Captions() const;

    // One monitoring tick for the graphs, after the engine's update: the
    // voltage, temperature and fan graph, in that order, shown or not.
    void TickGraphs();

    // Shows the graph panel (graph true) or the numeric panel of an area and
    // hides the other one; while the panels are put away, only remembers it.
    void ShowArea(Area area, bool graph);
    // Puts all six panels away (the compact form, which they would reach
    // into) or shows each area's chosen panel again. Before CreatePanels it
    // says how they are made.
    void SetShown(bool shown);
    bool IsShown() const { return m_bShown; }

    CVoltSubScreen* VoltPanel() const { return m_pVolt; }
    CFanSubScreen* FanPanel() const { return m_pFan; }
    CTempSubScreen* TempPanel() const { return m_pTemp; }
    CVoltGraphSubScreen* VoltGraphPanel() const { return m_pVoltGraph; }
    CTempGraphSubScreen* TempGraphPanel() const { return m_pTempGraph; }
    CFanGraphSubScreen* FanGraphPanel() const { return m_pFanGraph; }
    CNumericSubScreen* NumericPanel(Area area) const;
    CGraphSubScreen* GraphPanel(Area area) const;

private:
    void ApplyArea(Area area);

    bool m_bShown = true;
    // Per area, by Area's value: whether its graph is the panel chosen.
    bool m_bGraph[3] = {false, false, false};
    CFanSubScreen* m_pFan = nullptr;
    CVoltSubScreen* m_pVolt = nullptr;
    CTempSubScreen* m_pTemp = nullptr;
    CVoltGraphSubScreen* m_pVoltGraph = nullptr;
    CTempGraphSubScreen* m_pTempGraph = nullptr;
    CFanGraphSubScreen* m_pFanGraph = nullptr;
};
