// The network tools of the main window: the lookup window and the
// connection information window.
#include "mainwin/ui/MainProgram.h"

#include "monitor/FriendlyNames.h"
#include "monitor/HostNameResolver.h"
#include "monitor/portdb/ui/TfrmPortInfo.h"
#include "monitor/ui/TfrmRecognize.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/RefreshCycle.h"
#include "tools/lookup/ui/TfrmConnInfo.h"
#include "tools/lookup/ui/TfrmLookup.h"

#include <QTimer>

namespace wv {

void MainProgram::openLookup(const QString &address)
{
    TfrmLookup::Services s;
    s.hostName = [this](const QString &a) { return m_resolver->GetHostName(a); };
    OpenLookup(address, s);
}

void MainProgram::connectTools()
{
    TfrmMain &w = *m_window;
    if (!m_hooks.openLookup)
        m_hooks.openLookup = [this](const QString &address) { openLookup(address); };
    w.setCommandHandler(MainCommand::AdvancedLookup, [this] {
        if (const ConnectionRecord *r = m_window->selectedRecord())
            m_hooks.openLookup(r->HostName.isEmpty() ? r->RemoteAddressText : r->HostName);
    });
    w.setCommandHandler(MainCommand::LookupTool, [this] { m_hooks.openLookup(QString()); });
    w.setCommandHandler(MainCommand::ConnectionInfo,
                        [this] { ConnectionInfo(m_window->selectedRow()); });
}

void MainProgram::ConnectionInfo(int row)
{
    if (row < 0 || row >= m_window->tableModel().rowCount())
        return;
    if (!m_connInfo) {
        TfrmConnInfo::Services s;
        s.hostName = [this](const QString &a) { return m_resolver->GetHostName(a); };
        s.showPortInfo = [this](int port) { wv::ShowPortInfo(port, true, m_connInfo.get()); };
        s.openLookup = [this](const QString &address) { m_hooks.openLookup(address); };
        s.recognize = [this](const ConnectionRecord &r) {
            TfrmRecognize dialog(*m_names, m_connInfo.get());
            dialog.setTexts(r.HostName, r.RemoteAddressText, QString());
            if (dialog.exec() == QDialog::Accepted)
                m_window->cycle().setRebuildPending(true);
            return m_names->GetFriendlyName(r.HostName, r.RemoteAddressText);
        };
        // The row index stays valid only while no refresh runs.
        s.pauseRefresh = [this](bool paused) {
            if (paused)
                m_window->refresher().stop();
            else if (m_settings.values().autoRefresh)
                m_window->refresher().start();
        };
        // Kept by the program, not by the main window (which goes first at the end).
        m_connInfo = std::make_unique<TfrmConnInfo>(s);
    }
    const ConnectionRecord record = m_window->tableModel().record(row);
    m_connInfo->ConnectionInfo(row, record, m_settings.values().autoResolve,
                               m_names->GetFriendlyName(record.HostName, record.RemoteAddressText));
}

} // namespace wv
