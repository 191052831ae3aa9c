// The common ground of the six sub-screen panels: a 324 x 105 child of the
// main window that paints a background bitmap of the skin stretched over
// itself, and the way its controls carry their ids.
#pragma once

#include <QWidget>

class ISubScreenHost;

class CSubScreenPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 324;
    static constexpr int kHeight = 105;
    int DialogId() const { return m_nDialogId; }
    int BackgroundId() const { return m_nBackgroundId; }

    // Gives a control its id as objectName and as the "controlId" property.
    static void SetControlId(QWidget* control, int id);

protected:
    CSubScreenPanel(ISubScreenHost& host, int dialogId, int backgroundId, QWidget* parent);
    ISubScreenHost& Host() const { return m_host; }

    void paintEvent(QPaintEvent* event) override;

private:
    ISubScreenHost& m_host;
    int m_nDialogId;
    int m_nBackgroundId;
};
