#include "windows/CShutdownCountdown.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CShutdownCountdown::CShutdownCountdown(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("shutdownCountdown"));
    setWindowTitle(QStringLiteral("Kelvane: shut-down"));
    setModal(false);

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("text"));
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(320);
    QFont big = m_text->font();
    big.setBold(true);
    m_text->setFont(big);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setToolTip(QStringLiteral("Switch this item's shut-down off until Kelvane is started again"));
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        const int item = m_nItem;
        Dismiss();
        if (item >= 0) emit cancelled(item);
    });

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(8);
    row->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CShutdownCountdown::CountdownText(qint64 secondsLeft, const QString& item, const QString& value)
{
    return QStringLiteral("Kelvane will power off this computer in %1 s: %2 %3").arg(secondsLeft).arg(item, value);
}

void CShutdownCountdown::Present(int item)
{
    m_nItem = item;
    if (!isVisible()) {
        show();
        raise();
    }
}

void CShutdownCountdown::ShowCountdown(int item, qint64 secondsLeft, const QString& name, const QString& value)
{
    // A refusal stays on screen until its item is cancelled or clears.
    if (m_bRefused && item == m_nItem) return;
    m_bRefused = false;
    m_text->setText(m_tr(QStringLiteral("Kelvane will power off this computer in %1 s: %2 %3"))
                        .arg(secondsLeft)
                        .arg(name, value));
    Present(item);
}

void CShutdownCountdown::ShowPoweringOff(int item, const QString& name, const QString& value)
{
    m_bRefused = false;
    m_text->setText(m_tr(QStringLiteral("Kelvane is powering off this computer: %1 %2")).arg(name, value));
    Present(item);
}

void CShutdownCountdown::ShowRefused(int item, const QString& name, const QString& value, const QString& reason)
{
    m_bRefused = true;
    QString text = m_tr(QStringLiteral("Kelvane could not power off this computer (%1 %2).")).arg(name, value);
    if (!reason.isEmpty()) text += QLatin1Char('\n') + m_tr(QStringLiteral("The system refused: %1")).arg(reason);
    text += QLatin1Char('\n') + m_tr(QStringLiteral("It asks again every minute while the item stays out of range."));
    m_text->setText(text);
    Present(item);
}

void CShutdownCountdown::SetTranslation(Translation translation)
{
    m_tr = translation ? std::move(translation) : Translation([](const QString& text) { return text; });
    setWindowTitle(m_tr(QStringLiteral("Kelvane: shut-down")));
    m_cancel->setText(m_tr(QStringLiteral("Cancel")));
    m_cancel->setToolTip(m_tr(QStringLiteral("Switch this item's shut-down off until Kelvane is started again")));
}

QString CShutdownCountdown::Text() const { return m_text->text(); }

void CShutdownCountdown::Dismiss()
{
    m_nItem = -1;
    m_bRefused = false;
    hide();
}
