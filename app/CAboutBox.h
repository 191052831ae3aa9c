// The About box and what it says of the chip the window reads: how the
// engine reaches it, the simulator's remark, a kernel driver's ownership
// (asked when the box opens) and what was passed over on the way.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CSkinLibrary;
class CWindowLanguage;
class QWidget;

class CAboutBox {
public:
    void SetChipAccess(std::string text) { m_strChipAccess = std::move(text); }
    const std::string& ChipAccess() const { return m_strChipAccess; }
    void SetAccessState(bool simulated, std::vector<std::string> notes)
    {
        m_bSimulated = simulated;
        m_notes = std::move(notes);
    }
    bool IsSimulated() const { return m_bSimulated; }

    // The box, modal over parent, for a chip of chipSetType.
    void Show(QWidget* parent, const CSkinLibrary& skins, const CWindowLanguage& language, int chipSetType) const;

private:
    std::string m_strChipAccess;
    bool m_bSimulated = false;
    std::vector<std::string> m_notes;
};
