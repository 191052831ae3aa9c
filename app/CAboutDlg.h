// The About box: the maker's emblem, the program's name and version, how the
// chip is reached (the chip service or the access library in the process),
// and an OK button.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class CSkinLibrary;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPicture = 224;
    static constexpr const char* kVersionText = "Kelvane Version 1.2.3.2";

    // The library must outlive the box. chipAccess: "chip service at ...",
    // "kernel driver ...", "SIMULATED chip: ..."; no line when empty.
    // remarks: one line each under it (what the path means for the user).
    explicit CAboutDlg(const CSkinLibrary& skins, QWidget* parent = nullptr, const std::string& chipAccess = {},
                       const std::vector<std::string>& remarks = {});
};
