// The About box: the maker's emblem, the program's name and version, and an
// OK button.
#pragma once

#include <QDialog>

class CSkinLibrary;

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kPicture = 224;
    static constexpr const char* kVersionText = "Kelvane Version 1.2.3.2";

    // The library must outlive the box.
    explicit CAboutDlg(const CSkinLibrary& skins, QWidget* parent = nullptr);
};
