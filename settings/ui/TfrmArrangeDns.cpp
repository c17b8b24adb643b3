#include "settings/ui/TfrmArrangeDns.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

namespace {

const QString kPrompt = QStringLiteral("Enter the DNS server you wish to use.");

} // namespace

TfrmArrangeDns::TfrmArrangeDns(const DnsServerFields &fields, QWidget *parent)
    : QDialog(parent), m_list(DnsArrangeList::fromFields(fields))
{
    setWindowTitle(QStringLiteral("Arrange DNS Servers"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    askServer = [this](const QString &title, const QString &value, QString *answer) {
        bool ok = false;
        *answer = QInputDialog::getText(this, title, kPrompt, QLineEdit::Normal, value, &ok);
        return ok;
    };

    pcArrange = new QTabWidget(this);
    pcArrange->setTabPosition(QTabWidget::South);
    auto *arrange = new QWidget;
    lbServers = new QListWidget(arrange);
    btnAdd = new QPushButton(QStringLiteral("&Add"), arrange);
    btnEdit = new QPushButton(QStringLiteral("&Edit"), arrange);
    btnDelete = new QPushButton(QStringLiteral("&Delete"), arrange);
    btnClearAll = new QPushButton(QStringLiteral("&Clear all"), arrange);
    btnUp = new QToolButton(arrange);
    btnUp->setArrowType(Qt::UpArrow);
    btnUp->setToolTip(QStringLiteral("Move up"));
    btnDown = new QToolButton(arrange);
    btnDown->setArrowType(Qt::DownArrow);
    btnDown->setToolTip(QStringLiteral("Move down"));
    auto *arrows = new QHBoxLayout;
    arrows->addWidget(btnUp);
    arrows->addWidget(btnDown);
    arrows->addStretch(1);
    auto *side = new QVBoxLayout;
    for (QPushButton *b : {btnAdd, btnEdit, btnDelete, btnClearAll})
        side->addWidget(b);
    side->addLayout(arrows);
    side->addStretch(1);
    auto *arrangeLayout = new QHBoxLayout(arrange);
    arrangeLayout->addWidget(lbServers, 1);
    arrangeLayout->addLayout(side);
    memServers = new QPlainTextEdit;
    pcArrange->addTab(arrange, QStringLiteral("Arrange"));
    pcArrange->addTab(memServers, QStringLiteral("Edit"));

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Ca&ncel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *l = new QVBoxLayout(this);
    l->addWidget(pcArrange, 1);
    l->addLayout(buttons);
    resize(320, 240);

    connect(btnAdd, &QPushButton::clicked, this, &TfrmArrangeDns::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmArrangeDns::btnEditClick);
    connect(lbServers, &QListWidget::itemDoubleClicked, this, &TfrmArrangeDns::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmArrangeDns::btnDeleteClick);
    connect(btnClearAll, &QPushButton::clicked, this, &TfrmArrangeDns::btnClearAllClick);
    connect(btnUp, &QToolButton::clicked, this, &TfrmArrangeDns::btnUpClick);
    connect(btnDown, &QToolButton::clicked, this, &TfrmArrangeDns::btnDownClick);
    connect(pcArrange, &QTabWidget::currentChanged, this, &TfrmArrangeDns::pageChanged);
    // "&OK" takes the list as it stands; text on the "Edit" page counts only
    // once the user has switched back.
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    fillList(0);
}

void TfrmArrangeDns::fillList(int select)
{
    lbServers->clear();
    lbServers->addItems(m_list.entries());
    if (select >= 0 && select < lbServers->count())
        lbServers->setCurrentRow(select);
}

void TfrmArrangeDns::refused()
{
    QMessageBox::critical(this, QStringLiteral("Error"), DnsServerList::RejectMessage);
}

void TfrmArrangeDns::btnAddClick()
{
    QString answer;
    if (!askServer(QStringLiteral("Add DNS Server"), QString(), &answer))
        return;
    if (!m_list.add(answer)) {
        refused();
        return;
    }
    fillList(m_list.count() - 1);
}

void TfrmArrangeDns::btnEditClick()
{
    const int row = lbServers->currentRow();
    if (row < 0)
        return;
    QString answer;
    if (!askServer(QStringLiteral("Edit DNS Server"), m_list.entries().at(row), &answer))
        return;
    if (!m_list.edit(row, answer)) {
        refused();
        return;
    }
    fillList(row);
}

void TfrmArrangeDns::btnDeleteClick()
{
    const int row = lbServers->currentRow();
    if (row < 0)
        return;
    m_list.remove(row);
    fillList(std::min(row, m_list.count() - 1));
}

void TfrmArrangeDns::btnClearAllClick()
{
    m_list.clear();
    fillList();
}

void TfrmArrangeDns::btnUpClick()
{
    const int row = lbServers->currentRow();
    if (row >= 0)
        fillList(m_list.moveUp(row));
}

void TfrmArrangeDns::btnDownClick()
{
    const int row = lbServers->currentRow();
    if (row >= 0)
        fillList(m_list.moveDown(row));
}

void TfrmArrangeDns::pageChanged(int index)
{
    if (m_switching)
        return;
    if (index == 1) {
        memServers->setPlainText(m_list.toText());
        return;
    }
    QString bad;
    if (!m_list.setText(memServers->toPlainText(), &bad)) {
        // A host name typed as text is refused like one typed in an input
        // box; the text stays for the user to correct.
        refused();
        m_switching = true;
        pcArrange->setCurrentIndex(1);
        m_switching = false;
        return;
    }
    fillList(0);
}

} // namespace wv
