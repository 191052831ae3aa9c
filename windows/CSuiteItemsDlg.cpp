#include "windows/CSuiteItemsDlg.h"

#include "windows/CSuiteLink.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVariant>

#include <cmath>

namespace {

// Dialog units: 1.5 px across, 1.625 px down.
int X(int units) { return static_cast<int>(std::lround(units * 1.5)); }
int Y(int units) { return static_cast<int>(std::lround(units * 1.625)); }
QRect Units(int x, int y, int width, int height) { return QRect(X(x), Y(y), X(width), Y(height)); }

void SetControlId(QWidget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    widget->setProperty("controlId", id);
}

QGroupBox* AddGroup(QWidget* parent, const QString& title, const QRect& rect)
{
    auto* group = new QGroupBox(title, parent);
    group->setGeometry(rect);
    return group;
}

}  // namespace

CSuiteItemsDlg::CSuiteItemsDlg(std::span<const std::uint8_t> sendList, QWidget* parent) : QDialog(parent)
{
    setObjectName(QString::number(kDialogId));
    setProperty("controlId", kDialogId);
    setWindowTitle(QStringLiteral("Send to Dravik Manager  Items"));
    setFixedSize(X(228), Y(145));

    // Dialog units are measured on an 8-point dialog font, 11 pixels high;
    // the layout below is drawn for that size.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    // Group boxes at dialog-unit positions; their check boxes are placed
    // relative to the group.
    auto* fan = AddGroup(this, QStringLiteral("Fan"), Units(7, 7, 96, 56));
    AddCheckBox(fan, kCpuFanId, QStringLiteral("CPU FAN"), 9, 17, 82);
    AddCheckBox(fan, kSystemFanId, QStringLiteral("SYSTEM FAN"), 9, 35, 82);

    auto* temperature = AddGroup(this, QStringLiteral("Temperature"), Units(109, 7, 112, 56));
    AddCheckBox(temperature, kCpuTemperatureId, QStringLiteral("CPU Temperature"), 9, 17, 98);
    AddCheckBox(temperature, kSystemTemperatureId, QStringLiteral("SYSTEM Temperature"), 9, 35, 98);

    auto* frequency = AddGroup(this, QStringLiteral("CPU Frequency"), Units(7, 70, 214, 38));
    AddCheckBox(frequency, kCpuFrequencyId, QStringLiteral("CPU Frequency"), 9, 17, 98);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(Units(117, 124, 50, 14));
    ok->setDefault(true);
    SetControlId(ok, 1);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(Units(171, 124, 50, 14));
    SetControlId(cancel, 2);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    for (std::uint8_t code : sendList) {
        int id = 0;
        switch (code) {
        case CSuiteLink::kCpuFan: id = kCpuFanId; break;
        case CSuiteLink::kSystemFan: id = kSystemFanId; break;
        case CSuiteLink::kSystemTemperature: id = kSystemTemperatureId; break;
        case CSuiteLink::kCpuTemperature: id = kCpuTemperatureId; break;
        case CSuiteLink::kCpuFrequency: id = kCpuFrequencyId; break;
        default: break;
        }
        if (QCheckBox* box = CheckBox(id))
            box->setChecked(true);
    }
}

QCheckBox* CSuiteItemsDlg::AddCheckBox(QWidget* group, int controlId, const QString& text, int x, int y, int width)
{
    auto* box = new QCheckBox(text, group);
    box->setGeometry(Units(x, y, width, 10));
    SetControlId(box, controlId);
    // The suite makes the choice; the dialog only shows it.
    box->setEnabled(false);
    return box;
}

QCheckBox* CSuiteItemsDlg::CheckBox(int controlId) const
{
    if (controlId < kCpuFanId || controlId > kCpuFrequencyId)
        return nullptr;
    return findChild<QCheckBox*>(QString::number(controlId));
}
