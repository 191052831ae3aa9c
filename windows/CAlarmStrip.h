// The face's alarm strip: a red band that names every item in alarm with
// its value ("VTT 1.40 V  ·  CPU FAN 0 RPM"), whichever well or panel shows
// it or none. Hidden while nothing is in alarm. The text takes a smaller type
// before it is cut short; a cut text shows whole as the tooltip.
#pragma once

#include <QFont>
#include <QStringList>
#include <QWidget>

class CAlarmStrip : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTextPixels = 11;
    static constexpr int kSmallestTextPixels = 9;
    // Between two entries.
    static constexpr const char* kSeparator = "  \u00B7  ";

    explicit CAlarmStrip(QWidget* parent = nullptr);

    // The entries in alarm, each "NAME VALUE UNIT"; none hides the strip.
    void SetEntries(const QStringList& entries);
    const QStringList& Entries() const { return m_entries; }
    // The line as painted (after fitting and eliding).
    const QString& ShownText() const { return m_strShown; }
    const QFont& TextFont() const { return m_textFont; }

    // The line for the entries, and the font and elided text that fit it
    // into width pixels of font (pure, for the tests).
    static QString Line(const QStringList& entries);
    static QFont FitFont(QFont font, const QString& text, int width, int smallestPixels);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Fit();
    int TextWidth() const;

    QStringList m_entries;
    QString m_strShown;
    QFont m_textFont;
};
