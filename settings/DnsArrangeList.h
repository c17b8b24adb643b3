#pragma once

#include "settings/DnsServerList.h"

#include <QStringList>

namespace wv {

// The list of the "Arrange DNS Servers" dialog: the four fields as a list
// the user reorders, adds to, edits and deletes from, or edits as text.
class DnsArrangeList
{
public:
    // The primary server always, then each other field that is not empty.
    static DnsArrangeList fromFields(const DnsServerFields &fields);
    // Entries 1 to 4; fields without an entry are empty, later entries ignored.
    DnsServerFields toFields() const;

    const QStringList &entries() const { return m_entries; }
    int count() const { return int(m_entries.size()); }

    // Adds an entry; an empty text adds nothing. False when refused.
    bool add(const QString &text);
    // False when the text is refused or the index is outside the list.
    bool edit(int index, const QString &text);
    void remove(int index);
    void clear() { m_entries.clear(); }
    // Swap with the neighbour; return the entry's new index.
    int moveUp(int index);
    int moveDown(int index);

    // One server per line, for the "Edit" page.
    QString toText() const;
    // The list becomes the lines of the text (the line after a final line
    // break does not count). The first refused line is returned in *refused
    // and the list is left unchanged.
    bool setText(const QString &text, QString *refused = nullptr);

private:
    QStringList m_entries;
};

} // namespace wv
