// An ISubScreenHost over references to the main window's own members, for a
// main window that would rather hand those in than implement the interface.
// Everything referred to must outlive the panels.
#pragma once

#include "windows/ISubScreenHost.h"

#include <cstdint>
#include <functional>
#include <utility>

class CSubScreenHostRefs : public ISubScreenHost {
public:
    using Reader = std::function<bool(int index, SItem& item)>;

    // subVoltItems: the main window's three sub-screen voltage indices;
    // reader: answers ReadItem instead of the engine (empty: the engine).
    CSubScreenHostRefs(CHardwareMonitor& engine, const CSkinLibrary& skin, const std::int32_t* subVoltItems,
                       const bool& centigrade, std::mutex* engineMutex = nullptr, Reader reader = {})
        : m_engine(engine),
          m_skin(skin),
          m_pSubVoltItems(subVoltItems),
          m_bCentigrade(centigrade),
          m_pEngineMutex(engineMutex),
          m_reader(std::move(reader))
    {
    }

    CHardwareMonitor& Engine() override { return m_engine; }
    const CSkinLibrary& Skin() const override { return m_skin; }
    int SubVoltItem(int slot) const override { return (slot >= 0 && slot < 3) ? m_pSubVoltItems[slot] : -1; }
    bool IsCentigrade() const override { return m_bCentigrade; }
    std::mutex* EngineMutex() override { return m_pEngineMutex; }
    bool ReadItem(int index, SItem& item) override
    {
        return m_reader ? m_reader(index, item) : ISubScreenHost::ReadItem(index, item);
    }

private:
    CHardwareMonitor& m_engine;
    const CSkinLibrary& m_skin;
    const std::int32_t* m_pSubVoltItems;
    const bool& m_bCentigrade;
    std::mutex* m_pEngineMutex;
    Reader m_reader;
};
