#pragma once

#include "settings/DnsArrangeList.h"

#include <QDialog>

#include <functional>

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace wv {

// "Arrange DNS Servers": the servers as a list to reorder, add to, edit and
// delete from ("Arrange"), or as text, one per line ("Edit").
class TfrmArrangeDns : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmArrangeDns(const DnsServerFields &fields, QWidget *parent = nullptr);

    // The fields after "&OK": the list's first four entries.
    DnsServerFields fields() const { return m_list.toFields(); }
    const DnsArrangeList &list() const { return m_list; }

    // Asks for a server text (an input box); false when cancelled. Tests
    // replace it.
    std::function<bool(const QString &title, const QString &value, QString *answer)> askServer;

    QTabWidget *pcArrange = nullptr;
    QListWidget *lbServers = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnEdit = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnClearAll = nullptr;
    QToolButton *btnUp = nullptr;
    QToolButton *btnDown = nullptr;
    QPlainTextEdit *memServers = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnClearAllClick();
    void btnUpClick();
    void btnDownClick();

private:
    void pageChanged(int index);
    void fillList(int select = -1);
    void refused();

    DnsArrangeList m_list;
    bool m_switching = false;
};

} // namespace wv
