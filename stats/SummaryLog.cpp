#include "stats/SummaryLog.h"

#include <QLocale>

namespace wv {

SummaryLog::SummaryLog(QObject *parent) : QAbstractTableModel(parent) {}

void SummaryLog::AddSummaryEvent(const QString &text)
{
    if (!m_collecting)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const int row = int(m_lines.size());
    beginInsertRows({}, row, row);
    m_lines.append({now, timeText(now), text});
    endInsertRows();
}

int SummaryLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int SummaryLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SummaryLog::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Line &l = m_lines.at(index.row());
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
