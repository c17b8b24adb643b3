#include "stats/viewbar/ViewBarNavigator.h"

#include <QLocale>
#include <QTime>

#include <algorithm>

namespace wv {

ViewBarNavigator::ViewBarNavigator(ViewBarTable &table, int &position)
    : m_table(table), m_position(position)
{
}

std::optional<QStringList> ViewBarNavigator::showConnection(int index)
{
    const int last = m_table.rowCount() - 1;
    if (m_position > last)
        m_position = last;
    if (index < 0 || index > last)
        return std::nullopt;
    QStringList cells = m_table.row(index);
    while (cells.size() < 8)
        cells.append(QString());
    return cells;
}

std::optional<int> ViewBarNavigator::showAt(int index)
{
    const auto cells = showConnection(index);
    if (m_show)
        m_show(cells ? index : -1, cells.value_or(QStringList()));
    return cells ? std::optional<int>(index) : std::nullopt;
}

void ViewBarNavigator::refreshWhenEmpty()
{
    if (m_table.rowCount() == 0)
        m_table.refresh();
}

std::optional<int> ViewBarNavigator::next()
{
    refreshWhenEmpty();
    return advance();
}

std::optional<int> ViewBarNavigator::advance()
{
    const int last = m_table.rowCount() - 1;
    // A position beyond a shrunken table is pulled back, and there is no next
    // row after the last one.
    if (m_position >= last) {
        m_position = std::min(m_position, last);
        return std::nullopt;
    }
    ++m_position;
    return showAt(m_position);
}

std::optional<int> ViewBarNavigator::previous()
{
    refreshWhenEmpty();
    const int last = m_table.rowCount() - 1;
    if (m_position > last)
        m_position = last;
    if (m_position <= 0)
        return std::nullopt;
    --m_position;
    return showAt(m_position);
}

std::optional<int> ViewBarNavigator::scrollStep()
{
    refreshWhenEmpty();
    // At (or, after the table shrank, beyond) the last row the walk starts
    // again from the first.
    if (m_position >= m_table.rowCount() - 1)
        m_position = -1;
    // The table was refreshed above if it was empty; once is enough.
    return advance();
}

QStringList viewRowMenuTexts(const std::optional<QStringList> &cells)
{
    static const char *const labels[7] = {
        "rAddr: ", "lPort: ", "rPort: ", "proto: ", "state: ", "timeN: ", "recog: "};
    QStringList texts;
    if (!cells) {
        texts.append(QStringLiteral("nothing selected"));
        for (int i = 1; i < 7; ++i)
            texts.append(QString());
        return texts;
    }
    for (int i = 0; i < 7; ++i)
        texts.append(QLatin1String(labels[i]) + cells->value(i + 1));
    return texts;
}

QString viewBarClockText(const QTime &time)
{
    return QLocale::c().toString(time, QStringLiteral("h:mm:ss AP"));
}

ViewBarLayout layoutViewBar(int barWidth, int wvnbutWidth, int clockWidth, int butPanWidth,
                            int ledPanWidth)
{
    ViewBarLayout l;
    l.panel1Width = barWidth - (wvnbutWidth + 14);
    l.clockLeft = l.panel1Width - clockWidth;
    l.ledPanLeft = l.panel1Width - (clockWidth + ledPanWidth + 7);
    l.butPanLeft = l.panel1Width - (clockWidth + butPanWidth + ledPanWidth + 8);
    l.bevelLeft = l.butPanLeft - 2;
    l.lvWidth = l.bevelLeft - 3;
    return l;
}

} // namespace wv
