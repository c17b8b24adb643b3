#include "stats/SummaryLog.h"

#include <QLocale>

#include <iterator>

namespace wv {

SummaryLog::SummaryLog(QObject *parent) : QAbstractTableModel(parent) {}

void SummaryLog::AddSummaryEvent(const QString &text)
{
    if (!m_collecting)
        return;
    // Converting the clock to local time, and formatting it through the
    // locale, cost more than the rest of the line: the lines of one
    // millisecond share their time, those of one second their text.
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms != m_stampMs) {
        m_stampMs = ms;
        m_stamp = QDateTime::fromMSecsSinceEpoch(ms);
        if (ms / 1000 != m_stampSecond) {
            m_stampSecond = ms / 1000;
            m_stampText = timeText(m_stamp);
        }
    }
    m_pending.push_back({m_stamp, m_stampText, text});
    if (m_batch == 0)
        commit();
}

void SummaryLog::beginBatch()
{
    ++m_batch;
}

void SummaryLog::endBatch()
{
    if (m_batch > 0 && --m_batch == 0)
        commit();
}

void SummaryLog::commit()
{
    if (m_pending.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + int(m_pending.size()) - 1);
    m_lines.insert(m_lines.end(), std::make_move_iterator(m_pending.begin()),
                   std::make_move_iterator(m_pending.end()));
    endInsertRows();
    m_pending.clear();
    trim();
}

void SummaryLog::setMaxEvents(int max)
{
    m_maxEvents = qMax(1, max);
    trim();
}

QString SummaryLog::droppedText(qint64 count, int max)
{
    return QStringLiteral("%1 older events were dropped (the summary keeps the latest %2)")
        .arg(count)
        .arg(max);
}

void SummaryLog::trim()
{
    const qint64 excess = qint64(m_lines.size()) - m_maxEvents;
    if (excess <= 0)
        return;
    const int n = int(excess);
    const int first = notices(); // the lines start below the notice
    beginRemoveRows({}, first, first + n - 1);
    m_lines.erase(m_lines.begin(), m_lines.begin() + n);
    endRemoveRows();
    const QDateTime now = QDateTime::currentDateTime();
    const Line notice{now, timeText(now), droppedText(m_dropped + n, m_maxEvents)};
    if (m_dropped == 0) {
        beginInsertRows({}, 0, 0);
        m_dropped = n;
        m_notice = notice;
        endInsertRows();
    } else {
        m_dropped += n;
        m_notice = notice;
        Q_EMIT dataChanged(index(0, 0), index(0, ColumnCount - 1));
    }
}

int SummaryLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size()) + notices();
}

int SummaryLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const SummaryLog::Line &SummaryLog::lineAt(int row) const
{
    if (notices() && row == 0)
        return m_notice;
    return m_lines.at(size_t(row - notices()));
}

QVariant SummaryLog::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Line &l = lineAt(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return index.column() == TimeColumn ? l.time : l.event;
    if (role == SortRole)
        return index.column() == TimeColumn ? QVariant(l.when) : QVariant(l.event);
    return {};
}

QVariant SummaryLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == TimeColumn ? QStringLiteral("Time") : QStringLiteral("Event");
}

QString SummaryLog::timeText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

} // namespace wv
