#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <optional>

namespace wv {

// The listening-ports grid: two rows, column 0 the fixed column ("Port",
// "Proto"), then the listening ports two per column in the order the refresh
// met them: entry m sits in column 1 + m / 2, row m % 2.
class ListenPortsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // Cell colours as 0x00BBGGRR values (red in the low byte).
    static constexpr quint32 ListenColor = 0xE0E9EF;
    static constexpr quint32 UdpListenColor = 0x8396A0;

    enum Role
    {
        CellColorRole = Qt::UserRole + 1, // quint32 colour value, or no value
        RawRole,                          // port number, for sorting
    };

    explicit ListenPortsModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Replaces the ports; marks holds, per port, the port text for a UDP
    // listener and "n" for a TCP one.
    void setPorts(const QStringList &ports, const QStringList &udpMarks);
    const QStringList &ListenPorts() const { return m_ports; }
    const QStringList &ListenUdpMarks() const { return m_marks; }

    void setColorCode(bool on);
    bool colorCode() const { return m_colorCode; }

    // The text of a cell ("" outside the grid or in the empty last cell).
    QString cellText(int row, int column) const;
    // The colour a cell is painted in, when colour coding gives it one.
    std::optional<quint32> cellColor(int row, int column) const;

    // 0x00BBGGRR to 0xRRGGBB.
    static quint32 toRgb(quint32 colorValue);

private:
    int entryAt(int row, int column) const;

    QStringList m_ports;
    QStringList m_marks;
    bool m_colorCode = false;
};

} // namespace wv
