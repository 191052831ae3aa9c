// The items dialog shows the send list and nothing else.
#include "windows/CSuiteItemsDlg.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

TEST(SuiteItemsDlg, ChecksTheBoxOfEveryCodeInTheSendList)
{
    const int ids[] = {1018, 1019, 1020, 1021, 1022};
    const struct {
        std::vector<std::uint8_t> list;
        std::vector<int> checked;
    } cases[] = {
        {{11, 13, 16, 17, 19}, {1018, 1019, 1020, 1021, 1022}},
        {{16}, {1021}},  // the system temperature
        {{17}, {1020}},  // the processor temperature
        {{3, 19, 13}, {1019, 1022}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        CSuiteItemsDlg dialog(c.list);
        for (int id : ids) {
            QCheckBox* box = dialog.CheckBox(id);
            ASSERT_NE(box, nullptr) << id;
            EXPECT_FALSE(box->isEnabled()) << id;
            const bool expected = std::find(c.checked.begin(), c.checked.end(), id) != c.checked.end();
            EXPECT_EQ(box->isChecked(), expected) << id;
        }
    }
}

TEST(SuiteItemsDlg, CaptionSizeAndButtons)
{
    const std::vector<std::uint8_t> list{11, 17, 19};
    CSuiteItemsDlg dialog(list);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Send to Dravik Manager  Items"));
    EXPECT_EQ(dialog.size(), QSize(342, 236));  // 228 x 145 dialog units
    EXPECT_EQ(dialog.CheckBox(1018)->text(), QStringLiteral("CPU FAN"));
    EXPECT_EQ(dialog.CheckBox(1021)->text(), QStringLiteral("SYSTEM Temperature"));

    // Every control lies inside the dialog.
    for (QWidget* child : dialog.findChildren<QWidget*>())
        EXPECT_TRUE(QRect(QPoint(0, 0), dialog.size()).contains(child->geometry())) << child->objectName().toStdString();

    // Set KELVANE_SNAPSHOT_DIR to keep a picture of the dialog.
    if (const char* snapshots = std::getenv("KELVANE_SNAPSHOT_DIR")) {
        dialog.show();
        QImage image(dialog.size(), QImage::Format_ARGB32);
        dialog.render(&image);
        image.save(QDir(QString::fromLocal8Bit(snapshots)).filePath(QStringLiteral("suite-items-dialog.png")));
        dialog.hide();
    }

    for (const auto& [button, result] : {std::pair{"OK", QDialog::Accepted}, std::pair{"Cancel", QDialog::Rejected}}) {
        CSuiteItemsDlg modal(list);
        QPushButton* press = nullptr;
        for (QPushButton* b : modal.findChildren<QPushButton*>())
            if (b->text() == QLatin1String(button))
                press = b;
        ASSERT_NE(press, nullptr) << button;
        QTimer::singleShot(0, press, &QPushButton::click);
        EXPECT_EQ(modal.exec(), result) << button;
    }
}
