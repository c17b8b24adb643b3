#include "refresh/ListenPortsModel.h"

namespace wv {

ListenPortsModel::ListenPortsModel(QObject *parent) : QAbstractTableModel(parent) {}

int ListenPortsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

int ListenPortsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>((m_ports.size() + 1) / 2) + 1;
}

int ListenPortsModel::entryAt(int row, int column) const
{
    if (row < 0 || row > 1 || column < 1)
        return -1;
    const qsizetype m = qsizetype(column - 1) * 2 + row;
    return m < m_ports.size() ? static_cast<int>(m) : -1;
}

QString ListenPortsModel::cellText(int row, int column) const
{
    if (column == 0 && (row == 0 || row == 1))
        return row == 0 ? QStringLiteral("Port") : QStringLiteral("Proto");
    const int m = entryAt(row, column);
    return m < 0 ? QString() : m_ports.at(m);
}

std::optional<quint32> ListenPortsModel::cellColor(int row, int column) const
{
    if (!m_colorCode || column == 0)
        return std::nullopt;
    const int m = entryAt(row, column);
    if (m < 0 || m_ports.at(m).isEmpty())
        return std::nullopt;
    const QString &mark = m < m_marks.size() ? m_marks.at(m) : QString();
    if (mark != QLatin1String("n") && mark == m_ports.at(m))
        return UdpListenColor;
    return ListenColor;
}

quint32 ListenPortsModel::toRgb(quint32 colorValue)
{
    return ((colorValue & 0xFF) << 16) | (colorValue & 0xFF00) | ((colorValue >> 16) & 0xFF);
}

QVariant ListenPortsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const QString text = cellText(index.row(), index.column());
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case RawRole: {
        const int m = entryAt(index.row(), index.column());
        return m < 0 ? QVariant() : QVariant(m_ports.at(m).toInt());
    }
    case CellColorRole: {
        const auto color = cellColor(index.row(), index.column());
        return color ? QVariant(*color) : QVariant();
    }
    default:
        return {};
    }
}

QVariant ListenPortsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The fixed column doubles as the vertical header of a view.
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return cellText(section, 0);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ListenPortsModel::setPorts(const QStringList &ports, const QStringList &udpMarks)
{
    // A steady refresh finds the same ports; the grid need not repaint.
    if (ports == m_ports && udpMarks == m_marks)
        return;
    const int oldColumns = columnCount();
    const int newColumns = static_cast<int>((ports.size() + 1) / 2) + 1;
    if (newColumns > oldColumns) {
        beginInsertColumns({}, oldColumns, newColumns - 1);
        m_ports = ports;
        m_marks = udpMarks;
        endInsertColumns();
    } else if (newColumns < oldColumns) {
        beginRemoveColumns({}, newColumns, oldColumns - 1);
        m_ports = ports;
        m_marks = udpMarks;
        endRemoveColumns();
    } else {
        m_ports = ports;
        m_marks = udpMarks;
    }
    if (newColumns > 1)
        Q_EMIT dataChanged(index(0, 1), index(1, newColumns - 1));
}

void ListenPortsModel::setColorCode(bool on)
{
    if (m_colorCode == on)
        return;
    m_colorCode = on;
    const int cols = columnCount();
    if (cols > 1)
        Q_EMIT dataChanged(index(0, 1), index(1, cols - 1), {CellColorRole});
}

} // namespace wv
