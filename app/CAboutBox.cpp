#include "app/CAboutBox.h"

#include "app/CAboutDlg.h"
#include "platform/CAccessPathChooser.h"
#include "windows/CWindowLanguage.h"

void CAboutBox::Show(QWidget* parent, const CSkinLibrary& skins, const CWindowLanguage& language,
                     int chipSetType) const
{
    std::vector<std::string> remarks;
    if (m_bSimulated) remarks.push_back(CAccessPathChooser::kSimulatedText);
    if (const std::string owner = CAccessPathChooser::OwnerText(chipSetType); !owner.empty())
        remarks.push_back(owner);
    remarks.insert(remarks.end(), m_notes.begin(), m_notes.end());
    CAboutDlg about(skins, parent, m_strChipAccess, remarks);
    language.TranslateTree(about);
    about.exec();
}
