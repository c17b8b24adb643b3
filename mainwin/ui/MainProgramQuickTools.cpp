// The quick tools and the port tester, opened from the Tools menu, the row
// menu and the listening-ports panel.
#include "mainwin/ui/MainProgram.h"

#include "mainwin/ui/ConnectionPane.h"
#include "monitor/DnsCache.h"
#include "refresh/ConnectionRecord.h"
#include "refresh/ListenPortsModel.h"
#include "refresh/ui/ListenPanel.h"
#include "tools/porttest/ui/TfrmPortTest.h"
#include "tools/quick/ui/TfrmNBLookup.h"
#include "tools/quick/ui/TfrmQuickDNS.h"
#include "tools/quick/ui/TfrmQuickFinger.h"

#include <QComboBox>
#include <QToolButton>

namespace wv {

namespace {

void showTool(QWidget *w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

void MainProgram::connectQuickTools()
{
    TfrmMain &w = *m_window;
    // Each quick tool is a new window per command, freed when closed.
    w.setCommandHandler(MainCommand::QuickDns, [this] {
        showTool(new TfrmQuickDNS(m_registry, m_dnsCache.get(), m_settings.values().dnsTimeoutWait,
                                  m_window.get()));
    });
    w.setCommandHandler(MainCommand::QuickFinger,
                        [this] { showTool(new TfrmQuickFinger(m_registry, m_window.get())); });
    w.setCommandHandler(MainCommand::NetBiosTool,
                        [this] { showTool(new TfrmNBLookup(m_window.get())); });
    w.setCommandHandler(MainCommand::NetBiosLookup, [this] {
        const ConnectionRecord *r = m_window->selectedRecord();
        if (!r)
            return;
        auto *nb = new TfrmNBLookup(m_window.get());
        showTool(nb);
        nb->lookupAddress(r->RemoteAddressText);
    });
    w.setCommandHandler(MainCommand::PortTester, [this] { showTool(portTester()); });
    w.pane().listenPanel->setPortTesterAvailable(true);
    connect(w.pane().listenPanel, &ListenPanel::portTestRequested, this,
            &MainProgram::openPortTester);
}

TfrmPortTest *MainProgram::portTesterWindow() const
{
    return m_portTest;
}

TfrmPortTest *MainProgram::portTester()
{
    if (!m_portTest)
        m_portTest =
            new TfrmPortTest(m_registry, m_window->listenModel().ListenPorts(), m_window.get());
    return m_portTest;
}

void MainProgram::openPortTester(const QString &port, bool connectNow)
{
    TfrmPortTest *t = portTester();
    if (port.isEmpty()) {
        if (t->cboPort->count() > 0)
            t->cboPort->setCurrentIndex(0);
    } else {
        t->selectPort(port);
    }
    showTool(t);
    if (connectNow && t->tb1->isEnabled())
        t->tb1Click();
}

} // namespace wv
