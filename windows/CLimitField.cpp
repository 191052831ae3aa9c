#include "windows/CLimitField.h"

#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

CLimitField::CLimitField(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAccelerated(true);
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(this, &QAbstractSpinBox::editingFinished, this, &CLimitField::Commit);
}

void CLimitField::SetScale(int first, int last, int step, int decimals, ValueOf valueOf)
{
    m_nFirst = std::min(first, last);
    m_nLast = std::max(first, last);
    m_nAllowedFirst = m_nFirst;
    m_nAllowedLast = m_nLast;
    m_nStep = std::max(step, 1);
    m_nDecimals = decimals;
    if (valueOf) m_valueOf = std::move(valueOf);
    m_nPosition = std::clamp(m_nPosition, m_nFirst, m_nLast);
    ShowPosition();
}

void CLimitField::SetSuffix(const QString& suffix)
{
    m_strSuffix = suffix;
    ShowPosition();
}

void CLimitField::Blank() { lineEdit()->clear(); }

void CLimitField::SetAllowed(int first, int last)
{
    m_nAllowedFirst = std::clamp(first, m_nFirst, m_nLast);
    m_nAllowedLast = std::clamp(last, m_nAllowedFirst, m_nLast);
}

void CLimitField::SetPosition(int position)
{
    m_nPosition = std::clamp(position, m_nFirst, m_nLast);
    ShowPosition();
}

QString CLimitField::TextOf(int position) const
{
    QString text = QString::number(m_valueOf(position), 'f', m_nDecimals);
    // "-0.0" reads as a fault.
    if (text.startsWith(QLatin1Char('-')) && text.mid(1).remove(QRegularExpression(QStringLiteral("[0.]"))).isEmpty())
        text.remove(0, 1);
    return text + m_strSuffix;
}

void CLimitField::ShowPosition()
{
    const QString text = TextOf(m_nPosition);
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    update();
}

int CLimitField::UpDirection() const
{
    // Measured inside the range: a fan's ends may both read 0 rpm.
    const int quarter = (m_nLast - m_nFirst) / 4;
    return m_valueOf(m_nLast - quarter) >= m_valueOf(m_nFirst + quarter) ? 1 : -1;
}

int CLimitField::NearestPosition(double value) const
{
    int best = m_nAllowedFirst;
    double bestDistance = std::abs(m_valueOf(best) - value);
    for (int p = m_nAllowedFirst + 1; p <= m_nAllowedLast; ++p) {
        const double distance = std::abs(m_valueOf(p) - value);
        if (distance < bestDistance) {
            best = p;
            bestDistance = distance;
        }
    }
    return best;
}

bool CLimitField::ParseNumber(const QString& text, double& value)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?\\d*(?:[.,]\\d*)?)"));
    const QRegularExpressionMatch match = number.match(text);
    QString digits = match.captured(1);
    digits.replace(QLatin1Char(','), QLatin1Char('.'));
    if (digits.isEmpty() || digits == QLatin1String("-") || digits == QLatin1String("+") ||
        digits == QLatin1String("."))
        return false;
    bool ok = false;
    value = digits.toDouble(&ok);
    return ok;
}

void CLimitField::stepBy(int steps)
{
    const int target = std::clamp(m_nPosition + steps * m_nStep * UpDirection(), m_nAllowedFirst, m_nAllowedLast);
    if (target == m_nPosition) return;
    m_nPosition = target;
    ShowPosition();
    emit positionEdited(m_nPosition);
}

QAbstractSpinBox::StepEnabled CLimitField::stepEnabled() const
{
    const bool atFirst = m_nPosition <= m_nAllowedFirst;
    const bool atLast = m_nPosition >= m_nAllowedLast;
    const bool up = UpDirection() > 0 ? !atLast : !atFirst;
    const bool down = UpDirection() > 0 ? !atFirst : !atLast;
    return (up ? StepUpEnabled : StepNone) | (down ? StepDownEnabled : StepNone);
}

QValidator::State CLimitField::validate(QString& input, int&) const
{
    // Anything on the way to a number may be typed; Commit settles it.
    static const QRegularExpression partial(QStringLiteral("^\\s*[-+]?\\d*(?:[.,]\\d*)?\\s*\\S{0,3}$"));
    return partial.match(input).hasMatch() ? QValidator::Intermediate : QValidator::Invalid;
}

void CLimitField::fixup(QString& input) const
{
    double value = 0;
    input = ParseNumber(input, value) ? TextOf(NearestPosition(value)) : TextOf(m_nPosition);
}

void CLimitField::Commit()
{
    double value = 0;
    if (!ParseNumber(lineEdit()->text(), value)) {
        ShowPosition();
        return;
    }
    const int position = NearestPosition(value);
    const bool changed = position != m_nPosition;
    m_nPosition = position;
    ShowPosition();
    if (changed) emit positionEdited(m_nPosition);
}

void CLimitField::focusOutEvent(QFocusEvent* event)
{
    Commit();
    QAbstractSpinBox::focusOutEvent(event);
}

QSize CLimitField::sizeHint() const
{
    const int width = fontMetrics().horizontalAdvance(TextOf(m_nFirst).size() > TextOf(m_nLast).size()
                                                          ? TextOf(m_nFirst)
                                                          : TextOf(m_nLast));
    return QSize(width + 10, fontMetrics().height() + 2);
}

QSize CLimitField::minimumSizeHint() const { return sizeHint(); }
