#include "tools/porttest/ui/TfrmPortTest.h"

#include "tools/porttest/PortTestPlacement.h"
#include "tools/porttest/TelnetSession.h"
#include "tools/porttest/TerminalScreen.h"
#include "tools/porttest/ui/TerminalWidget.h"
#include "tools/quick/ui/ToolWindowParts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

TfrmPortTest::TfrmPortTest(RegistryStore &registry, const QStringList &listenPorts, QWidget *parent)
    : QMainWindow(parent), m_registry(registry)
{
    setObjectName(QStringLiteral("frmPortTest"));
    setWindowTitle(QStringLiteral("Port Testing / Mini Telnet Client"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(483, 180);

    toolBar = toolparts::hoverToolBar(this);
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(true);
    toolBar->setFloatable(false);
    toolBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    tb1 = toolparts::toolButton(toolBar, "tb1", QStringLiteral("&Connect"),
                                QStringLiteral("Connects to specified host and port"));
    tb2 = toolparts::toolButton(toolBar, "tb2", QStringLiteral("&Disconnect"),
                                QStringLiteral("Disconnects the connection"));
    tb4 = toolparts::toolButton(toolBar, "tb4", QStringLiteral("&Close"),
                                QStringLiteral("Closes this window"));
    tb2->setEnabled(false);
    toolBar->addSeparator();
    cboHost = new QComboBox(toolBar);
    cboHost->setObjectName(QStringLiteral("cboHost"));
    cboHost->setEditable(true);
    cboHost->setInsertPolicy(QComboBox::NoInsert);
    cboHost->setEditText(QStringLiteral("127.0.0.1"));
    cboHost->setMinimumContentsLength(15);
    cboPort = new QComboBox(toolBar);
    cboPort->setObjectName(QStringLiteral("cboPort"));
    cboPort->setEditable(true);
    cboPort->setInsertPolicy(QComboBox::NoInsert);
    cboPort->addItems(listenPorts);
    cboPort->setCurrentIndex(-1);
    cboPort->setEditText(QStringLiteral("23"));
    cboPort->setMinimumContentsLength(6);
    // Typed keys: digits and Backspace only. A service name can still be
    // pasted; it is looked up in the services database on connecting.
    new KeyCharFilter(cboPort->lineEdit(), QStringLiteral("0123456789"));
    auto *hostLabel = new QLabel(QStringLiteral(" &Host: "), toolBar);
    hostLabel->setBuddy(cboHost);
    auto *portLabel = new QLabel(QStringLiteral(" &Port "), toolBar);
    portLabel->setBuddy(cboPort);
    toolBar->addWidget(hostLabel);
    toolBar->addWidget(cboHost);
    toolBar->addWidget(portLabel);
    toolBar->addWidget(cboPort);
    chkEcho = new QCheckBox(QStringLiteral("Local &echo"), toolBar);
    chkEcho->setObjectName(QStringLiteral("chkEcho"));
    toolBar->addSeparator();
    toolBar->addWidget(chkEcho);

    const PortTestPlacement placement = PortTestPlacement::load(registry);
    addToolBar(placement.toolbarAtBottom ? Qt::BottomToolBarArea : Qt::TopToolBarArea, toolBar);

    auto *central = new QWidget(this);
    auto *box = new QVBoxLayout(central);
    // The terminal is 11 pixels narrower than the window.
    box->setContentsMargins(5, 4, 6, 4);
    tn = new TerminalWidget(central);
    tn->setTextColor(QColor(0, 255, 0));
    box->addWidget(tn, 1);
    setCentralWidget(central);
    stat = new QStatusBar(this);
    stat->setObjectName(QStringLiteral("stat"));
    setStatusBar(stat);

    chkEcho->setChecked(placement.localEcho);
    tn->screen().setLocalEcho(placement.localEcho);

    connect(tb1, &QToolButton::clicked, this, &TfrmPortTest::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmPortTest::tb2Click);
    connect(tb4, &QToolButton::clicked, this, &QWidget::close);
    connect(chkEcho, &QCheckBox::toggled, this, [this](bool on) { tn->screen().setLocalEcho(on); });
    connect(cboHost, &QComboBox::editTextChanged, this, &TfrmPortTest::updateConnectButton);
    connect(cboPort, &QComboBox::editTextChanged, this, &TfrmPortTest::updateConnectButton);
    connect(cboPort, &QComboBox::currentTextChanged, this, &TfrmPortTest::updateConnectButton);
    for (QComboBox *c : {cboHost, cboPort})
        new EnterFilter(c, [this] {
            if (tb1->isEnabled())
                tb1Click();
        });
    connect(&tn->session(), &TelnetSession::sessionConnected, this,
            &TfrmPortTest::tnSessionConnected);
    connect(&tn->session(), &TelnetSession::sessionClosed, this, &TfrmPortTest::tnSessionClosed);
    connect(&tn->session(), &TelnetSession::dataAvailable, this, &TfrmPortTest::tnDataAvailable);
    updateConnectButton();
}

TfrmPortTest::~TfrmPortTest() = default;

void TfrmPortTest::updateConnectButton()
{
    tb1->setEnabled(!cboHost->currentText().isEmpty() && !cboPort->currentText().isEmpty());
}

bool TfrmPortTest::selectPort(const QString &port)
{
    const int i = cboPort->findText(port);
    if (i >= 0)
        cboPort->setCurrentIndex(i);
    cboPort->setEditText(port);
    return i >= 0;
}

void TfrmPortTest::tb1Click()
{
    TelnetSession &s = tn->session();
    s.disconnectFromHost();
    s.setPort(cboPort->currentText());
    s.setHost(cboHost->currentText());
    tn->setFocus();
    s.connectToHost();
}

void TfrmPortTest::tb2Click()
{
    tn->session().disconnectFromHost();
}

void TfrmPortTest::tnSessionConnected()
{
    stat->showMessage(QStringLiteral("Session Connected"));
    tb1->setEnabled(false);
    tb2->setEnabled(true);
}

void TfrmPortTest::tnSessionClosed()
{
    stat->showMessage(QStringLiteral("Session Closed"));
    tb2->setEnabled(false);
    updateConnectButton();
}

void TfrmPortTest::tnDataAvailable()
{
    stat->showMessage(QStringLiteral("Data available"));
}

void TfrmPortTest::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    tn->setTextColor(QColor(0, 255, 0));
}

void TfrmPortTest::savePlacement()
{
    PortTestPlacement p;
    p.toolbarAtBottom = toolBarArea(toolBar) == Qt::BottomToolBarArea;
    p.tb1Top = tb1->mapTo(this, QPoint(0, 0)).y();
    p.localEcho = chkEcho->isChecked();
    p.save(m_registry);
}

void TfrmPortTest::closeEvent(QCloseEvent *event)
{
    // Closed events of the session reach a window that is going away.
    tn->session().disconnect(this);
    tn->session().disconnectFromHost();
    savePlacement();
    QMainWindow::closeEvent(event);
}

} // namespace wv
