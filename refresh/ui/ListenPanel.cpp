#include "refresh/ui/ListenPanel.h"

#include "refresh/ListenPortsModel.h"
#include "refresh/MonitorServices.h"

#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace wv {

namespace {

// Turns the model's colour codes into cell backgrounds.
class ListenGridColors : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::BackgroundRole) {
            const QVariant code = QIdentityProxyModel::data(index, ListenPortsModel::CellColorRole);
            if (code.isValid())
                return QColor(QRgb(ListenPortsModel::toRgb(code.toUInt())));
            return {};
        }
        return QIdentityProxyModel::data(index, role);
    }
};

QToolButton *smallButton(const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFixedSize(16, 16);
    return b;
}

} // namespace

ListenPanel::ListenPanel(ListenPortsModel &model, PortInfoOpener *opener, QWidget *parent)
    : QFrame(parent), m_model(model), m_opener(opener)
{
    setObjectName(QStringLiteral("listenPanel"));
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setFixedHeight(PanelHeight);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    listenGrid = new QTableView(this);
    listenGrid->setObjectName(QStringLiteral("listenGrid"));
    auto *colors = new ListenGridColors(listenGrid);
    colors->setSourceModel(&m_model);
    listenGrid->setModel(colors);
    // Column 0 is the fixed column: it is shown as the vertical header so
    // that it stays put while the ports scroll.
    listenGrid->setColumnHidden(0, true);
    listenGrid->horizontalHeader()->hide();
    // 35 pixels hold five digits in the small fonts the panel was drawn for;
    // with a larger desktop font the columns widen rather than cut ports short.
    const int fiveDigits = listenGrid->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                           2 * listenGrid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 4;
    listenGrid->horizontalHeader()->setMinimumSectionSize(0);
    listenGrid->horizontalHeader()->setDefaultSectionSize(std::max(int(ColumnWidth), fiveDigits));
    listenGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    listenGrid->verticalHeader()->setMinimumSectionSize(RowHeight);
    listenGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listenGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listenGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    listenGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    listenGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listenGrid->setFrameShape(QFrame::NoFrame);
    listenGrid->viewport()->setMouseTracking(true);
    listenGrid->viewport()->installEventFilter(this);

    listenCloseBox = new QWidget(this);
    listenCloseBox->setObjectName(QStringLiteral("listenCloseBox"));
    tbListenClose =
        smallButton(QStringLiteral("x"), QStringLiteral("Close panel for listening connections"),
                    listenCloseBox);
    tbListenClose->setObjectName(QStringLiteral("tbListenClose"));
    tbListenInfo =
        smallButton(QStringLiteral("?"), QStringLiteral("Port information"), listenCloseBox);
    tbListenInfo->setObjectName(QStringLiteral("tbListenInfo"));
    tbListenInfo->setCheckable(true);
    tbPlugPort =
        smallButton(QStringLiteral(">"), QStringLiteral("Test / connect to port"), listenCloseBox);
    tbPlugPort->setObjectName(QStringLiteral("tbPlugPort"));
    auto *box = new QVBoxLayout(listenCloseBox);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(1);
    box->addWidget(tbListenClose);
    box->addWidget(tbListenInfo);
    box->addWidget(tbPlugPort);
    box->addStretch();

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 4, 1);
    row->setSpacing(2);
    row->addWidget(listenGrid, 1);
    row->addWidget(listenCloseBox);

    lgPopup = new QMenu(this);
    lgPopup->setObjectName(QStringLiteral("lgPopup"));
    mnuPortInformation = lgPopup->addAction(QStringLiteral("Port &Information"));
    mnuConnectToPort = lgPopup->addAction(QStringLiteral("&Connect to this port"));

    connect(tbListenClose, &QToolButton::clicked, this, &ListenPanel::closeRequested);
    connect(tbListenInfo, &QToolButton::toggled, this, &ListenPanel::tbListenInfoClick);
    connect(tbPlugPort, &QToolButton::clicked, this, &ListenPanel::tbPlugPortClick);
    connect(mnuPortInformation, &QAction::triggered, this, &ListenPanel::mnuPortInformationClick);
    connect(mnuConnectToPort, &QAction::triggered, this, &ListenPanel::mnuConnectToPortClick);

    setPortTesterAvailable(false);
}

void ListenPanel::setPortTesterAvailable(bool available)
{
    tbPlugPort->setVisible(available);
    mnuConnectToPort->setVisible(available);
}

QString ListenPanel::selectedCellText() const
{
    const QModelIndex current = listenGrid->currentIndex();
    return current.isValid() ? m_model.cellText(current.row(), current.column()) : QString();
}

bool ListenPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listenGrid->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease)
            listenGridMouseUp(static_cast<QMouseEvent *>(event));
        else if (event->type() == QEvent::MouseMove)
            listenGridMouseMove(static_cast<QMouseEvent *>(event));
    }
    return QFrame::eventFilter(watched, event);
}

QModelIndex ListenPanel::cellAt(const QPoint &pos) const
{
    const int column = listenGrid->columnAt(pos.x());
    if (column < 1)
        return {};
    int row = listenGrid->rowAt(pos.y());
    if (row < 0)
        row = 0;
    return listenGrid->model()->index(row, column);
}

void ListenPanel::tbListenInfoClick(bool down)
{
    if (down)
        listenGrid->viewport()->setCursor(Qt::WhatsThisCursor);
    else
        listenGrid->viewport()->unsetCursor();
}

void ListenPanel::showPortInfo(const QString &text)
{
    // An empty cell (the last column's second cell when the count is odd)
    // names no port.
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || !m_opener)
        return;
    m_opener->ShowPortInfo(port);
}

void ListenPanel::listenGridMouseUp(QMouseEvent *event)
{
    listenGrid->viewport()->unsetCursor();
    const QModelIndex cell = cellAt(event->position().toPoint());
    if (tbListenInfo->isChecked()) {
        tbListenInfo->setChecked(false);
        if (cell.isValid())
            showPortInfo(m_model.cellText(cell.row(), cell.column()));
        return;
    }
    if (event->button() == Qt::RightButton && cell.isValid()) {
        listenGrid->setCurrentIndex(cell);
        lgPopup->popup(event->globalPosition().toPoint());
    }
}

void ListenPanel::listenGridMouseMove(QMouseEvent *event)
{
    if (!tbListenInfo->isChecked())
        return;
    const QModelIndex cell = cellAt(event->position().toPoint());
    if (cell.isValid() && cell != listenGrid->currentIndex())
        listenGrid->setCurrentIndex(cell);
}

void ListenPanel::mnuPortInformationClick()
{
    showPortInfo(selectedCellText());
}

void ListenPanel::mnuConnectToPortClick()
{
    const QString text = selectedCellText();
    if (text == QLatin1String("0")) {
        QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Port 0 is reserved."));
        return;
    }
    if (!text.isEmpty() && m_model.ListenPorts().contains(text))
        Q_EMIT portTestRequested(text, true);
}

void ListenPanel::tbPlugPortClick()
{
    const QString text = selectedCellText();
    if (text == QLatin1String("0")) {
        QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Port 0 is reserved."));
        return;
    }
    bool ok = false;
    const QString port = QInputDialog::getText(this, QStringLiteral("Enter port"),
                                               QStringLiteral("Enter the port to examine"),
                                               QLineEdit::Normal, text, &ok);
    if (!ok)
        return;
    if (!m_model.ListenPorts().contains(port)) {
        QMessageBox::warning(this, QStringLiteral("Error"),
                             QStringLiteral("That is not an open port on this system."));
        Q_EMIT portTestRequested(QString(), false);
        return;
    }
    Q_EMIT portTestRequested(port, true);
}

} // namespace wv
