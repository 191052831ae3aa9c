// Dialog 245, "Send to Dravik Manager  Items": shows which readings are sent
// to Dravik Manager. The five check boxes are disabled; the suite chooses.
#pragma once

#include <QDialog>

#include <cstdint>
#include <span>

class QCheckBox;

class CSuiteItemsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 245;
    static constexpr int kCpuFanId = 1018;
    static constexpr int kSystemFanId = 1019;
    static constexpr int kCpuTemperatureId = 1020;
    static constexpr int kSystemTemperatureId = 1021;
    static constexpr int kCpuFrequencyId = 1022;

    // Checks the box of every code of the send list met from its first entry
    // (11 → 1018, 13 → 1019, 16 → 1021, 17 → 1020, 19 → 1022).
    explicit CSuiteItemsDlg(std::span<const std::uint8_t> sendList, QWidget* parent = nullptr);

    // The check box with a control id; null for any other id.
    QCheckBox* CheckBox(int controlId) const;

private:
    QCheckBox* AddCheckBox(QWidget* group, int controlId, const QString& text, int x, int y, int width);
};
