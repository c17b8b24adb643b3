// The main window's menu handlers: the menu bar, the table's context menu and
// the states of the commands behind them.

#include "mainwin/RowCommands.h"
#include "mainwin/ui/ConnectionPane.h"
#include "mainwin/ui/MainMenus.h"
#include "mainwin/ui/MainToolbar.h"
#include "mainwin/ui/TfrmMain.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/RefreshCycle.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"
#include "settings/Version.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTableView>
#include <QToolButton>
#include <QUrl>

namespace wv {

void TfrmMain::setCommandHandler(MainCommand command, std::function<void()> handler)
{
    m_commands->setHandler(command, std::move(handler));
}

bool TfrmMain::hasCommandHandler(MainCommand command) const
{
    return m_commands->hasHandler(command);
}

void TfrmMain::updateCommandStates()
{
    setInfoEnabled(hasSelectedRow() && !m_cycle->isRunning());
    // The row commands also need a selected row; their menus settle that
    // when they open.
    const MainMenus &m = *m_menus;
    for (QAction *a :
         {m.mnuRemotePortInfo, m.mnuLocalPortInfo, m.rxRemotePortInfo, m.rxLocalPortInfo})
        a->setEnabled(m_portInfo != nullptr);
    for (QMenu *menu : {m.mnuRuleAlerts, m.mnuRuleIgnored, m.mnuRuleDisabled})
        menu->setEnabled(static_cast<bool>(m_rulesMenuFiller));
}

void TfrmMain::setRulesMenuFiller(std::function<void(QMenu *, QMenu *, QMenu *)> f)
{
    m_rulesMenuFiller = std::move(f);
    updateCommandStates();
}

void TfrmMain::setViewBarShownQuery(std::function<bool()> shown)
{
    m_viewBarShown = std::move(shown);
}

void TfrmMain::connectMenus()
{
    const MainMenus &m = *m_menus;
    connect(m.mnuRefreshConnections, &QAction::triggered, m_toolbar->tb1, &QToolButton::click);
    connect(m.mnuExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);
    for (int i = 0; i < 8; ++i)
        connect(m.mnuCopy[i], &QAction::triggered, this,
                [this, i] { copyConnection(static_cast<CopyField>(i)); });
    connect(m.mnuConnection, &QMenu::aboutToShow, this, &TfrmMain::mnuConnectionPopup);
    connect(m.mnuView, &QMenu::aboutToShow, this, &TfrmMain::mnuViewPopup);
    connect(m.mnuOptions, &QMenu::aboutToShow, this, &TfrmMain::mnuOptionsPopup);
    connect(m.mnuViewbar, &QMenu::aboutToShow, this, &TfrmMain::mnuViewbarPopup);
    connect(m.mnuRules, &QMenu::aboutToShow, this, &TfrmMain::mnuRulesPopup);
    connect(m.mnuSendToTray, &QAction::triggered, this, &TfrmMain::tb4Click);
    connect(m.mnuMaximize, &QAction::triggered, this, &TfrmMain::mnuMaximizeClick);
    connect(m.mnuGridLines, &QAction::triggered, this, &TfrmMain::mnuGridLinesClick);
    connect(m.mnuExtraColumns, &QAction::triggered, this, &TfrmMain::mnuExtraColumnsClick);
    connect(m.mnuShowOpenPorts, &QAction::triggered, this, &TfrmMain::mnuShowOpenPortsClick);
    connect(m.mnuColorCode, &QAction::triggered, this, &TfrmMain::mnuColorCodeClick);
    connect(m.mnuCacheDNS, &QAction::triggered, this, &TfrmMain::mnuCacheDNSClick);
    connect(m.mnuAutoResolve, &QAction::triggered, this, &TfrmMain::mnuAutoResolveClick);
    connect(m.mnuRemotePortInfo, &QAction::triggered, this, &TfrmMain::mnuRemotePortInfoClick);
    connect(m.mnuLocalPortInfo, &QAction::triggered, this, &TfrmMain::mnuLocalPortInfoClick);
    connect(m.mnuContents, &QAction::triggered, this, &TfrmMain::mnuContentsClick);
    connect(m.mnuReadme, &QAction::triggered, this, &TfrmMain::mnuReadmeClick);
    connect(m.mnuAbout, &QAction::triggered, this, &TfrmMain::mnuAboutClick);

    connect(m.rxRemotePortInfo, &QAction::triggered, this, &TfrmMain::mnuRemotePortInfoClick);
    connect(m.rxLocalPortInfo, &QAction::triggered, this, &TfrmMain::mnuLocalPortInfoClick);
    connect(m.rxExtraColumns, &QAction::triggered, this, &TfrmMain::mnuExtraColumnsClick);
    connect(m.rxGridLines, &QAction::triggered, this, &TfrmMain::mnuGridLinesClick);
}

void TfrmMain::updateRowMenu(bool contextMenu)
{
    const bool refreshing = !m_toolbar->tb1->isEnabled();
    const RowCommandState s = rowCommandState(
        selectedRecord(), refreshing, contextMenu ? RowMenu::ContextMenu : RowMenu::MainMenu);
    m_menus->showRowState(contextMenu, s, m_portInfo != nullptr, m_settings.values(), *m_commands);
}

void TfrmMain::lvContextPopup(const QPoint &pos)
{
    // A refresh in progress owns the table.
    if (!m_toolbar->tb1->isEnabled())
        return;
    updateRowMenu(true);
    m_menus->rxpop->popup(m_pane->lv->viewport()->mapToGlobal(pos));
}

void TfrmMain::mnuConnectionPopup()
{
    updateRowMenu(false);
}

void TfrmMain::mnuViewPopup()
{
    const Settings &s = m_settings.values();
    m_menus->mnuGridLines->setChecked(s.showGrids);
    m_menus->mnuExtraColumns->setChecked(s.morecols);
    m_menus->mnuColorCode->setChecked(s.colorCode);
    m_menus->mnuShowOpenPorts->setChecked(s.showListens);
}

void TfrmMain::mnuOptionsPopup()
{
    m_menus->mnuCacheDNS->setChecked(m_settings.values().cacheDNS);
    m_menus->mnuAutoResolve->setChecked(m_settings.values().autoResolve);
}

void TfrmMain::mnuViewbarPopup()
{
    const MainMenus &m = *m_menus;
    const bool shown = m_viewBarShown ? m_viewBarShown() : false;
    m.mnuVbToggle->setText(shown ? QStringLiteral("Disable &Viewbar")
                                 : QStringLiteral("Enable &Viewbar"));
    m.mnuVbSwitch->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarSwitch));
    m.mnuVbAutoHide->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarAutoHide));
    m.mnuVbScroll->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarScroll));
    m.mnuVbAutoHide->setChecked(m_settings.values().vbAutoHide);
    m.mnuVbScroll->setChecked(m_settings.values().vbScroll);
}

void TfrmMain::mnuRulesPopup()
{
    if (m_rulesMenuFiller)
        m_rulesMenuFiller(m_menus->mnuRuleAlerts, m_menus->mnuRuleIgnored,
                          m_menus->mnuRuleDisabled);
}

void TfrmMain::mnuExitClick()
{
    if (m_shutDown)
        m_shutDown();
    else
        close();
}

void TfrmMain::mnuMaximizeClick()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
}

void TfrmMain::flipSetting(bool Settings::*setting)
{
    Settings &values = m_settings.values();
    values.*setting = !(values.*setting);
    optionsChanged();
}

void TfrmMain::mnuGridLinesClick()
{
    flipSetting(&Settings::showGrids);
}

void TfrmMain::mnuExtraColumnsClick()
{
    flipSetting(&Settings::morecols);
}

void TfrmMain::mnuShowOpenPortsClick()
{
    m_toolbar->chkShowListen->toggle();
}

void TfrmMain::mnuColorCodeClick()
{
    flipSetting(&Settings::colorCode);
}

void TfrmMain::mnuCacheDNSClick()
{
    flipSetting(&Settings::cacheDNS);
}

void TfrmMain::mnuAutoResolveClick()
{
    m_toolbar->chkAutoResolve->toggle();
}

void TfrmMain::mnuRemotePortInfoClick()
{
    const ConnectionRecord *r = selectedRecord();
    if (r && m_portInfo)
        m_portInfo->ShowPortInfo(r->RemotePortText.toInt());
}

void TfrmMain::mnuLocalPortInfoClick()
{
    const ConnectionRecord *r = selectedRecord();
    if (r && m_portInfo)
        m_portInfo->ShowPortInfo(r->LocalPortText.toInt());
}

void TfrmMain::mnuContentsClick()
{
    DebugLog(QStringLiteral("Help contents: see the readme."));
}

void TfrmMain::mnuReadmeClick()
{
    const QString path = Paths::dataFile(QStringLiteral("readme.txt"));
    if (!QFileInfo::exists(path)) {
        QMessageBox::information(this, QStringLiteral("Notice"),
                                 QStringLiteral("The file %1 was not found.").arg(path));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TfrmMain::mnuAboutClick()
{
    QMessageBox::about(
        this, QStringLiteral("About Wirevane"),
        QStringLiteral("<b>%1</b><p>Watches the network connections of this computer: "
                       "every TCP connection, the ports that listen, and what changes between "
                       "two looks.</p>")
            .arg(programTitle().toHtmlEscaped()));
}

} // namespace wv
