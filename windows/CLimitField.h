// A typed limit beside a Monitor Setting slider: a spin box over the slider's
// positions that shows a position as a value in the item's unit ("1.43",
// "2986", "60.0") and takes a typed value as the nearest position. The arrows
// and Page keys step the value the way it reads (up is more volts, more rpm,
// hotter), whichever way the positions run. Only a user's edit emits
// positionEdited; SetPosition from the slider does not.
#pragma once

#include <QAbstractSpinBox>

#include <functional>

class CLimitField : public QAbstractSpinBox {
    Q_OBJECT

public:
    // The value of a slider position in the shown unit.
    using ValueOf = std::function<double(int position)>;

    explicit CLimitField(QWidget* parent = nullptr);

    // Positions first..last; step: positions per arrow press; decimals of
    // the text.
    void SetScale(int first, int last, int step, int decimals, ValueOf valueOf);
    // Narrows the positions a user may reach (a ruler's low limit stays at or
    // below its high limit).
    void SetAllowed(int first, int last);
    void SetPosition(int position);
    // Text after the number ("s").
    void SetSuffix(const QString& suffix);
    // No text until the next SetPosition (a row without a limit to show).
    void Blank();
    int Position() const { return m_nPosition; }
    QString Text() const { return TextOf(m_nPosition); }

    // The position whose value lies nearest to value, within the allowed
    // positions.
    int NearestPosition(double value) const;
    // A typed number: "1.43", "1,43", " 60 " (a unit after it is ignored).
    static bool ParseNumber(const QString& text, double& value);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void positionEdited(int position);

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString TextOf(int position) const;
    // Up runs towards higher values.
    int UpDirection() const;
    void Commit();
    void ShowPosition();

    int m_nFirst = 0, m_nLast = 0;
    int m_nAllowedFirst = 0, m_nAllowedLast = 0;
    int m_nStep = 1;
    int m_nDecimals = 0;
    int m_nPosition = 0;
    ValueOf m_valueOf = [](int position) { return double(position); };
    QString m_strSuffix;
};
