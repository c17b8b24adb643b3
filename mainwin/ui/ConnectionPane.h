#pragma once

#include <QVector>
#include <QWidget>

class QLineEdit;
class QTableView;

namespace wv {

class ColumnFitter;
class ColumnSortFlag;
class ConnectionSortProxy;
class ConnectionTableModel;
class ListenPanel;
class ListenPortsModel;
class PortInfoOpener;
class TableDelegate;
struct Settings;

// The main window's client area: the filter bar, the connection table ("lv")
// over its sort proxy and delegate, and the listening-ports panel under it.
// It also knows the table's column widths. The window connects the table's
// signals to its handlers; the pointers are fixed once built.
class ConnectionPane : public QWidget
{
    Q_OBJECT
public:
    ConnectionPane(ConnectionTableModel &table, ListenPortsModel &listen, PortInfoOpener *portInfo,
                   QWidget *parent = nullptr);

    QLineEdit *filterBar = nullptr;
    QTableView *lv = nullptr;
    ListenPanel *listenPanel = nullptr;

    ConnectionSortProxy &sortedModel() const { return *m_sorted; }

    // The table row (in the model's order) of the selection, -1 without one.
    int selectedRow() const;
    bool hasSelectedRow() const;

    // Sorts as a click on the column's header asks, with the header's
    // indicator; `flag` holds the one direction all columns share.
    void sortByHeaderClick(ColumnSortFlag &flag, int column);

    // Column widths (ColumnWidthStore::Missing leaves a column as it is).
    QVector<int> columnWidths() const;
    void setColumnWidths(const QVector<int> &widths);
    // Every column to its natural width; "Time" and "Recognized" only with
    // the extra columns, else hidden.
    void applyColumnWidths(bool moreColumns);
    void applyGridLines(bool on);
    // Fits a column to its contents (measuring only when they may have changed).
    void fitColumn(int column);
    ColumnFitter &fitter() const { return *m_fitter; }
    // Flat scroll bars and header, hot tracking, the filter bar.
    void applyLook(const Settings &settings);

private:
    // The width "Time" gets with the extra columns on.
    int timeColumnWidth() const;

    ConnectionTableModel &m_table;
    ConnectionSortProxy *m_sorted = nullptr;
    TableDelegate *m_delegate = nullptr;
    ColumnFitter *m_fitter = nullptr;
};

} // namespace wv
