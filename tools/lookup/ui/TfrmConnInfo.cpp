#include "tools/lookup/ui/TfrmConnInfo.h"

#include "refresh/TrafficText.h"
#include "settings/DebugTrace.h"
#include "tools/lookup/ConnStateText.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

namespace {

QLineEdit *infoBox(QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setReadOnly(true);
    return e;
}

QToolButton *portButton(const QString &hint, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setIcon(parent->style()->standardIcon(QStyle::SP_MessageBoxInformation));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

QWidget *withButton(QLineEdit *box, QToolButton *button, QWidget *parent)
{
    auto *w = new QWidget(parent);
    auto *l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(box, 1);
    l->addWidget(button);
    return w;
}

} // namespace

TfrmConnInfo::TfrmConnInfo(const Services &services, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_services(services)
{
    setObjectName(QStringLiteral("frmConnInfo"));
    setWindowTitle(QStringLiteral("Connection Information"));
    setModal(true);

    infIP = infoBox(this);
    infHostname = infoBox(this);
    infLPort = infoBox(this);
    infRPort = infoBox(this);
    infProto = infoBox(this);
    infState = infoBox(this);
    infStateDesc = new QPlainTextEdit(this);
    infStateDesc->setReadOnly(true);
    infStateDesc->setFixedHeight(infStateDesc->fontMetrics().lineSpacing() * 3 + 12);
    tbListenInfo = portButton(QStringLiteral("Local port information"), this);
    tbListenInfo2 = portButton(QStringLiteral("Remote port information"), this);

    auto *form = new QFormLayout;
    auto add = [&](const QString &text, QWidget *field, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        form->addRow(label, field);
    };
    add(QStringLiteral("&IP"), infIP, infIP);
    add(QStringLiteral("&Hostname"), infHostname, infHostname);
    add(QStringLiteral("&Local Port"), withButton(infLPort, tbListenInfo, this), infLPort);
    add(QStringLiteral("&Remote Port"), withButton(infRPort, tbListenInfo2, this), infRPort);
    add(QStringLiteral("&Protocol"), infProto, infProto);
    add(QStringLiteral("&Status Code"), infState, infState);
    add(QStringLiteral("Status &Description:"), infStateDesc, infStateDesc);

    grpRecognized = new QGroupBox(QStringLiteral("Recognized as"), this);
    auto *image = new QLabel(grpRecognized);
    image->setPixmap(style()->standardIcon(QStyle::SP_DirHomeIcon).pixmap(16, 16));
    lblRecognized = new QLabel(grpRecognized);
    lblRecognized->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tb1 = new QToolButton(grpRecognized);
    tb1->setText(QStringLiteral("&Change this entry"));
    auto *rec = new QHBoxLayout(grpRecognized);
    rec->addWidget(image);
    rec->addWidget(lblRecognized, 1);
    rec->addWidget(tb1);

    grpAware = new QGroupBox(QStringLiteral("WVN has been aware of this connection since:"), this);
    lblAwareSince = new QLabel(grpAware);
    lblAwareSince->setToolTip(QStringLiteral("Click to copy to clipboard"));
    lblAwareSince->setCursor(Qt::PointingHandCursor);
    lblAwareSince->installEventFilter(this);
    auto *aware = new QHBoxLayout(grpAware);
    aware->addWidget(lblAwareSince);

    grpTraffic = new QGroupBox(QStringLiteral("Process and traffic"), this);
    auto *traffic = new QFormLayout(grpTraffic);
    for (QLabel **l : {&lblProcess, &lblSent, &lblReceived, &lblRate}) {
        *l = new QLabel(grpTraffic);
        (*l)->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    traffic->addRow(QStringLiteral("Process:"), lblProcess);
    traffic->addRow(QStringLiteral("Sent:"), lblSent);
    traffic->addRow(QStringLiteral("Received:"), lblReceived);
    traffic->addRow(QStringLiteral("Rate:"), lblRate);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnAdvLookup = new QPushButton(QStringLiteral("&Advanced lookup"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnAdvLookup);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(grpRecognized);
    layout->addWidget(grpAware);
    layout->addWidget(grpTraffic);
    layout->addLayout(buttons);

    for (QLineEdit *e : {infIP, infHostname, infLPort, infRPort, infProto, infState})
        e->installEventFilter(this);
    infStateDesc->viewport()->installEventFilter(this);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAdvLookup, &QPushButton::clicked, this, &TfrmConnInfo::btnAdvLookupClick);
    connect(tbListenInfo, &QToolButton::clicked, this, &TfrmConnInfo::tbListenInfoClick);
    connect(tbListenInfo2, &QToolButton::clicked, this, &TfrmConnInfo::tbListenInfo2Click);
    connect(tb1, &QToolButton::clicked, this, &TfrmConnInfo::tb1Click);
    resize(380, sizeHint().height());
}

void TfrmConnInfo::fill(int i, const ConnectionRecord &row, bool autoResolve,
                        const QString &friendlyName)
{
    DebugLog(QStringLiteral("ConnectionInfo(%1)").arg(i));
    m_row = row;
    infIP->setText(autoResolve ? row.RemoteAddressText : row.hostCell);
    infLPort->setText(row.LocalPortText);
    infRPort->setText(row.RemotePortText);
    infProto->setText(row.protocol);
    // What is not known reads "unknown": another user's socket, UDP bytes, or
    // the process and traffic columns switched off.
    const QString unknown = QStringLiteral("unknown");
    const QString process = processText(row.pid, row.program);
    lblProcess->setText(process.isEmpty() ? unknown : process);
    lblSent->setText(row.bytesSent < 0 ? unknown : byteCountText(row.bytesSent));
    lblReceived->setText(row.bytesReceived < 0 ? unknown : byteCountText(row.bytesReceived));
    lblRate->setText(row.rate < 0 ? unknown : rateText(row.rate));
    infState->setText(row.stateName);
    lblAwareSince->setText(row.timeText);
    lblRecognized->setText(friendlyName);

    QPalette red = infHostname->palette();
    red.setColor(QPalette::Text, Qt::red);
    infHostname->setPalette(red);
    infHostname->setText(QStringLiteral("Resolving ..."));
    infHostname->repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString name;
    if (autoResolve)
        name = row.hostCell;
    else if (m_services.hostName)
        name = m_services.hostName(row.RemoteAddressText);
    else
        name = row.hostCell;
    infHostname->setText(name);
    infHostname->setPalette(QPalette());
    infStateDesc->setPlainText(ConnStateDescription(row.StateCode));
    QApplication::restoreOverrideCursor();
}

void TfrmConnInfo::ConnectionInfo(int i, const ConnectionRecord &row, bool autoResolve,
                                  const QString &friendlyName)
{
    fill(i, row, autoResolve, friendlyName);
    if (m_services.pauseRefresh)
        m_services.pauseRefresh(true);
    exec();
    if (m_services.pauseRefresh)
        m_services.pauseRefresh(false);
}

void TfrmConnInfo::tbListenInfoClick()
{
    if (m_services.showPortInfo)
        m_services.showPortInfo(infLPort->text().toInt());
}

void TfrmConnInfo::tbListenInfo2Click()
{
    if (m_services.showPortInfo)
        m_services.showPortInfo(infRPort->text().toInt());
}

void TfrmConnInfo::btnAdvLookupClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_services.openLookup)
        m_services.openLookup(infHostname->text());
    QApplication::restoreOverrideCursor();
}

void TfrmConnInfo::tb1Click()
{
    if (!m_services.recognize)
        return;
    const QString name = m_services.recognize(m_row);
    if (!name.isEmpty())
        lblRecognized->setText(name);
}

void TfrmConnInfo::lblAwareSinceClick()
{
    QApplication::clipboard()->setText(lblAwareSince->text());
}

bool TfrmConnInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblAwareSince) {
            lblAwareSinceClick();
        } else if (auto *box = qobject_cast<QLineEdit *>(watched)) {
            box->selectAll();
        } else if (watched == infStateDesc->viewport()) {
            infStateDesc->selectAll();
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace wv
