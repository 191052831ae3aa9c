// A single-selection list box that keeps its entries in sorted order the way
// a sorted list box of the original dialogs does: AddString puts an entry in
// its case-insensitive place among the others, while InsertString puts it at
// the position given, with no sorting at all. A list that was filled with
// AddString and then received insertions is therefore no longer sorted, and
// the next AddString places its entry before the first entry that compares
// greater, wherever that is.
#pragma once

#include <QListWidget>

class CSortedListBox : public QListWidget {
    Q_OBJECT
public:
    explicit CSortedListBox(QWidget* parent = nullptr);

    // The index the entry was given.
    int AddString(const QString& text);
    // At index (-1 or beyond the end: at the end). The index the entry was
    // given.
    int InsertString(int index, const QString& text);
    // The first entry beginning with text, compared without regard to case;
    // -1 when there is none. An empty text matches the first entry.
    int FindString(const QString& text) const;
    bool DeleteString(int index);
    void ResetContent() { clear(); }

    int GetCount() const { return count(); }
    // The selected entry, -1 when none.
    int GetCurSel() const;
    void SetCurSel(int index);
    QString GetText(int index) const;
    QStringList Texts() const;

    // Where AddString puts text in entries: before the first entry that
    // compares greater without regard to case, after the equal ones.
    static int SortedPosition(const QStringList& entries, const QString& text);
};
