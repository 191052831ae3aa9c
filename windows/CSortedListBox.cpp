#include "windows/CSortedListBox.h"

CSortedListBox::CSortedListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
}

int CSortedListBox::SortedPosition(const QStringList& entries, const QString& text)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (QString::compare(entries[i], text, Qt::CaseInsensitive) > 0) return i;
    }
    return static_cast<int>(entries.size());
}

int CSortedListBox::AddString(const QString& text)
{
    const int index = SortedPosition(Texts(), text);
    insertItem(index, text);
    return index;
}

int CSortedListBox::InsertString(int index, const QString& text)
{
    if (index < 0 || index > count()) index = count();
    insertItem(index, text);
    return index;
}

int CSortedListBox::FindString(const QString& text) const
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().startsWith(text, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

bool CSortedListBox::DeleteString(int index)
{
    if (index < 0 || index >= count()) return false;
    delete takeItem(index);
    return true;
}

int CSortedListBox::GetCurSel() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.front());
}

void CSortedListBox::SetCurSel(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        return;
    }
    setCurrentRow(index);
}

QString CSortedListBox::GetText(int index) const
{
    const QListWidgetItem* entry = item(index);
    return entry != nullptr ? entry->text() : QString();
}

QStringList CSortedListBox::Texts() const
{
    QStringList texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i) texts.push_back(item(i)->text());
    return texts;
}
