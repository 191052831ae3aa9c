// The shut-down warning: a box that stays beside the other windows (it never
// blocks them) while an item's shutdown timer runs, saying when and why
// Kelvane will power the computer off, with a Cancel button that switches
// that item's shut-down off for the session. It also tells the user when the
// power-off has been asked for, and when the system refused it.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

class CShutdownCountdown : public QDialog {
    Q_OBJECT

public:
    explicit CShutdownCountdown(QWidget* parent = nullptr);

    // "Kelvane will power off this computer in N s: ITEM VALUE".
    static QString CountdownText(qint64 secondsLeft, const QString& item, const QString& value);

    // Shows (or updates) the countdown for the item at engine index item.
    void ShowCountdown(int item, qint64 secondsLeft, const QString& name, const QString& value);
    // The request has gone out.
    void ShowPoweringOff(int item, const QString& name, const QString& value);
    // The system refused the request; reason may be empty.
    void ShowRefused(int item, const QString& name, const QString& value, const QString& reason);

    // The item the box speaks of, -1 when none.
    int Item() const { return m_nItem; }
    bool IsShowingRefusal() const { return m_bRefused; }
    QString Text() const;
    // Hides the box and forgets its item.
    void Dismiss();
    // The captions and messages in the user's language: each English text
    // (with its %1 places) through translation.
    using Translation = std::function<QString(const QString&)>;
    void SetTranslation(Translation translation);

Q_SIGNALS:
    // The user pressed Cancel for item.
    void cancelled(int item);

private:
    Translation m_tr = [](const QString& text) { return text; };
    void Present(int item);

    QLabel* m_text = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_nItem = -1;
    bool m_bRefused = false;
};
