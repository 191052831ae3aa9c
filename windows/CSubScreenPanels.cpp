#include "windows/CSubScreenPanels.h"

#include "windows/CFanGraphSubScreen.h"
#include "windows/CFanSubScreen.h"
#include "windows/CTempGraphSubScreen.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltGraphSubScreen.h"
#include "windows/CVoltSubScreen.h"

#include <initializer_list>

namespace {

template <class Panel>
Panel* MakePanel(QWidget* mainWindow, ISubScreenHost& host, QPoint position, bool shown)
{
    auto* panel = new Panel(host, mainWindow);
    panel->move(position);
    panel->setVisible(shown);
    return panel;
}

}  // namespace

void CSubScreenPanels::CreatePanels(QWidget* mainWindow, ISubScreenHost& host)
{
    if (IsCreated())
        return;
    m_pFan = MakePanel<CFanSubScreen>(mainWindow, host, kFanPosition, m_bShown);
    m_pFan->Refresh();
    m_pVolt = MakePanel<CVoltSubScreen>(mainWindow, host, kVoltagePosition, m_bShown);
    m_pVolt->Refresh();
    m_pTemp = MakePanel<CTempSubScreen>(mainWindow, host, kTemperaturePosition, m_bShown);
    m_pTemp->Refresh();
    m_pVoltGraph = MakePanel<CVoltGraphSubScreen>(mainWindow, host, kVoltagePosition, false);
    m_pVoltGraph->Setup();
    m_pTempGraph = MakePanel<CTempGraphSubScreen>(mainWindow, host, kTemperaturePosition, false);
    m_pTempGraph->Setup();
    m_pFanGraph = MakePanel<CFanGraphSubScreen>(mainWindow, host, kFanPosition, false);
    m_pFanGraph->Setup();
}

void CSubScreenPanels::TranslateCaptions(const std::function<QString(const char*)>& translate)
{
    if (!IsCreated()) return;
    for (CSubScreenPanel* panel : std::initializer_list<CSubScreenPanel*>{m_pFan, m_pVolt, m_pTemp, m_pVoltGraph,
                                                                          m_pTempGraph, m_pFanGraph})
        panel->TranslateCaptions(translate);
}

QStringList CSubScreenPanels::Captions() const
{
    QStringList captions;
    if (!IsCreated()) return captions;
    for (const CSubScreenPanel* panel : std::initializer_list<const CSubScreenPanel*>{
             m_pFan, m_pVolt, m_pTemp, m_pVoltGraph, m_pTempGraph, m_pFanGraph})
        if (!panel->isHidden()) captions << panel->Captions();
    return captions;
}

void CSubScreenPanels::TickGraphs()
{
    if (!IsCreated())
        return;
    m_pVoltGraph->Tick();
    m_pTempGraph->Tick();
    m_pFanGraph->Tick();
}

CNumericSubScreen* CSubScreenPanels::NumericPanel(Area area) const
{
    switch (area) {
    case Area::Voltage:
        return m_pVolt;
    case Area::Fan:
        return m_pFan;
    case Area::Temperature:
        return m_pTemp;
    }
    return nullptr;
}

CGraphSubScreen* CSubScreenPanels::GraphPanel(Area area) const
{
    switch (area) {
    case Area::Voltage:
        return m_pVoltGraph;
    case Area::Fan:
        return m_pFanGraph;
    case Area::Temperature:
        return m_pTempGraph;
    }
    return nullptr;
}

void CSubScreenPanels::ShowArea(Area area, bool graph)
{
    m_bGraph[static_cast<int>(area)] = graph;
    ApplyArea(area);
}

void CSubScreenPanels::SetShown(bool shown)
{
    m_bShown = shown;
    for (const Area area : {Area::Voltage, Area::Fan, Area::Temperature})
        ApplyArea(area);
}

void CSubScreenPanels::ApplyArea(Area area)
{
    CNumericSubScreen* numeric = NumericPanel(area);
    CGraphSubScreen* chart = GraphPanel(area);
    if (!numeric || !chart)
        return;
    const bool graph = m_bGraph[static_cast<int>(area)];
    // Hide first, so the two never show at once.
    (graph ? static_cast<QWidget*>(numeric) : chart)->hide();
    (graph ? static_cast<QWidget*>(chart) : numeric)->setVisible(m_bShown);
}
