#include "settings/DnsArrangeList.h"

namespace wv {

DnsArrangeList DnsArrangeList::fromFields(const DnsServerFields &fields)
{
    DnsArrangeList list;
    list.m_entries.append(fields[0]);
    for (size_t i = 1; i < fields.size(); ++i) {
        if (!fields[i].isEmpty())
            list.m_entries.append(fields[i]);
    }
    return list;
}

DnsServerFields DnsArrangeList::toFields() const
{
    DnsServerFields fields;
    for (int i = 0; i < 4 && i < m_entries.size(); ++i)
        fields[size_t(i)] = m_entries.at(i);
    return fields;
}

bool DnsArrangeList::add(const QString &text)
{
    if (!DnsServerList::acceptServerText(text))
        return false;
    if (!text.isEmpty())
        m_entries.append(text);
    return true;
}

bool DnsArrangeList::edit(int index, const QString &text)
{
    if (index < 0 || index >= m_entries.size() || !DnsServerList::acceptServerText(text))
        return false;
    m_entries[index] = text;
    return true;
}

void DnsArrangeList::remove(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_entries.removeAt(index);
}

int DnsArrangeList::moveUp(int index)
{
    if (index <= 0 || index >= m_entries.size())
        return index;
    m_entries.swapItemsAt(index, index - 1);
    return index - 1;
}

int DnsArrangeList::moveDown(int index)
{
    if (index < 0 || index + 1 >= m_entries.size())
        return index;
    m_entries.swapItemsAt(index, index + 1);
    return index + 1;
}

QString DnsArrangeList::toText() const
{
    QString text;
    for (const QString &e : m_entries)
        text += e + QLatin1Char('\n');
    return text;
}

bool DnsArrangeList::setText(const QString &text, QString *refused)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        line = line.trimmed();
        if (!DnsServerList::acceptServerText(line)) {
            if (refused)
                *refused = line;
            return false;
        }
    }
    m_entries = lines;
    return true;
}

} // namespace wv
