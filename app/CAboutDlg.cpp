#include "app/CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "skin/CSkinLibrary.h"
#include "skin/CSkinLogo.h"

CAboutDlg::CAboutDlg(const CSkinLibrary& skins, QWidget* parent, const std::string& chipAccess,
                     const std::vector<std::string>& remarks)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Kelvane"));

    // Its caption line is translated with the dialog's other labels.
    auto* picture = new CSkinLogo(skins.Image(kPicture), this);
    picture->setObjectName(QStringLiteral("picture"));

    auto* text = new QLabel(QString::fromLatin1(kVersionText), this);
    text->setObjectName(QStringLiteral("version"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(text);
    if (!chipAccess.empty()) {
        auto* access = new QLabel(QStringLiteral("Chip: ") + QString::fromStdString(chipAccess), this);
        access->setObjectName(QStringLiteral("chipAccess"));
        access->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(access);
    }
    for (const std::string& remark : remarks) {
        auto* line = new QLabel(QString::fromStdString(remark), this);
        line->setObjectName(QStringLiteral("chipRemark"));
        line->setWordWrap(true);
        line->setMaximumWidth(360);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(line);
    }
    texts->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(12);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
