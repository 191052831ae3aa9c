// Dialog 210, "Display Setting": which sensor items the main window rotates
// through on its three displays, which three voltages the voltage sub-screen
// shows, and how warnings are delivered (mail, log) and whether the program
// starts with the session. The list "Apply" buttons change the main window's
// preferences at once; OK also writes the autostart entry, the switches and
// the address, and saves the preferences file.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "windows/CMonitorSettings.h"

class CCaptionTranslator;
class CSkinButton;
class CSkinLibrary;
class CSortedListBox;
class CUserPreferences;
class IShellOpener;
class QCheckBox;
class QLineEdit;
class QTabWidget;

class CDisplaySettingDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 210;
    enum ControlId {
        kOk = 1,
        kCancel = 2,
        kTab = 1010,
        kAutoRun = 1018,
        kErrorLog = 1019,
        kHiddenCheck = 1020,
        kEMailEnable = 1021,
        kItemList = 1119,
        kMainList = 1120,
        kSubList = 1121,
        kAddMain = 1155,
        kSelectAll = 1156,
        kRemoveMain = 1157,
        kAddSub = 1158,
        kRemoveSub = 1159,
        kApplyMain = 1161,
        kApplySub = 1162,
        kEMailAddress = 1163,
        kViewErrorLog = 1165,
        kTitleItems = 1180,
        kTitleMain = 1181,
        kTitleSub = 1182,
    };
    static constexpr int kCaptionMargin = 5;
    static constexpr int kSmallestCaptionPixels = 9;
    enum Page { kVoltagePage = 0, kFanPage = 1, kTemperaturePage = 2 };

    // What the dialog works on, lent by the main window for the dialog's
    // life: every reference must outlive the dialog.
    struct Context {
        // A copy of the items (their names and switches), taken where the
        // engine lives: the dialog never reads the engine itself.
        CMonitorSettings items;
        CUserPreferences& preferences;
        // Root.ini, handed to savePreferences.
        std::string iniPath;
        // The main window's SavePreferences(path).
        std::function<void(const std::string& iniPath)> savePreferences;
        // The main window's InitEmail: logs on when e-mail is switched on;
        // false after a failure, which it shows itself.
        std::function<bool()> initEmail;
        // Refresh of the voltage sub-screen panel; may be empty.
        std::function<void()> refreshVoltSubScreen;
        const CSkinLibrary& skin;
        const CCaptionTranslator& translator;
        IShellOpener& shellOpener;
        // Without a trailing "/": error.txt lies here, and the autostart
        // entry runs programDirectory + "/kelvane".
        std::string programDirectory;
        // Where the autostart entry goes (CAutostartEntry::DefaultDirectory()
        // in the running program).
        std::string autostartDirectory;
    };

    // Builds the dialog and initialises it from the preferences and the
    // copy of the items (the Voltage page first).
    explicit CDisplaySettingDlg(Context context, QWidget* parent = nullptr);
    ~CDisplaySettingDlg() override;

    // The control with a designed id, null for any other.
    QWidget* Control(int controlId) const;
    int CurrentPage() const;

    // The width a skin button's caption may take: clear of its rounded ends.
    static int CaptionRoom(const CSkinButton& button);

    // The caption ids translated at initialisation, in their order.
    static const std::vector<int>& TranslatedControls();

    // The buttons' actions, as their clicks run them.
    void OnAddMain();
    void OnSelectAll();
    void OnRemoveMain();
    void OnApplyMain();
    void OnAddSub();
    void OnRemoveSub();
    void OnApplySub();
    void OnViewErrorLog();
    void OnOK();

private:
    // One tab: the items it offers (consecutive in the engine's item array)
    // and the main window's selection it edits.
    struct PageItems {
        int firstItem;   // engine item index of the group's first item
        int offered;     // items offered on the page
        int groupSize;   // items of the group in the stored selection's numbering
        int capacity;    // entries the rotation list can hold
        std::int32_t* count;
        std::int32_t* selection;
        std::array<std::int32_t, 3>* subSelection;
    };

    void BuildControls();
    void SkinButtons();
    void InsertPages();
    void FitButtonCaptions();
    void FillLists(int page);
    void OnPageChanged(int page);
    PageItems Items(int page) const;
    // The item of a group index on a page; null outside the group.
    const CMonitorSettings::SItem* GroupItem(const PageItems& items, int index) const;
    CSkinButton* AddSkinButton(int id, const QString& caption, const QRect& rect);
    QCheckBox* AddCheckBox(int id, const QString& caption, const QRect& rect);

    Context m_context;
    QTabWidget* m_pTab = nullptr;
    CSortedListBox* m_pItemList = nullptr;
    CSortedListBox* m_pMainList = nullptr;
    CSortedListBox* m_pSubList = nullptr;
    QCheckBox* m_pEMailEnable = nullptr;
    QCheckBox* m_pErrorLog = nullptr;
    QCheckBox* m_pAutoRun = nullptr;
    QLineEdit* m_pEMailAddress = nullptr;
};
