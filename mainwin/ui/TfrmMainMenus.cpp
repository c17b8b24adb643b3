// The main window's menus: the menu bar, the table's context menu, the
// toolbar customisation menu and the commands behind them.

#include "mainwin/RowCommands.h"
#include "mainwin/ui/TfrmMain.h"
#include "refresh/ConnectionTableModel.h"
#include "refresh/RefreshCycle.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace wv {

namespace {

constexpr size_t slot(MainCommand c)
{
    return static_cast<size_t>(c);
}

QAction *checkItem(QMenu *menu, const QString &text)
{
    QAction *a = menu->addAction(text);
    a->setCheckable(true);
    return a;
}

} // namespace

QAction *TfrmMain::commandAction(MainCommand command, const QString &text, QObject *owner)
{
    auto *a = new QAction(text, owner);
    connect(a, &QAction::triggered, this, [this, command] { runCommand(command); });
    m_commandActions[slot(command)].append(a);
    return a;
}

void TfrmMain::setCommandHandler(MainCommand command, std::function<void()> handler)
{
    m_handlers[slot(command)] = std::move(handler);
    updateCommandStates();
}

bool TfrmMain::hasCommandHandler(MainCommand command) const
{
    return static_cast<bool>(m_handlers[slot(command)]);
}

void TfrmMain::runCommand(MainCommand command)
{
    if (const auto &handler = m_handlers[slot(command)])
        handler();
}

void TfrmMain::updateCommandStates()
{
    for (size_t i = 0; i < m_handlers.size(); ++i) {
        for (QAction *a : m_commandActions[i])
            a->setEnabled(static_cast<bool>(m_handlers[i]));
    }
    setInfoEnabled(hasSelectedRow() && !m_cycle->isRunning());
    // The row commands also need a selected row; their menus settle that
    // when they open.
    for (QAction *a : {mnuRemotePortInfo, mnuLocalPortInfo, rxRemotePortInfo, rxLocalPortInfo})
        a->setEnabled(m_portInfo != nullptr);
    for (QMenu *m : {mnuRuleAlerts, mnuRuleIgnored, mnuRuleDisabled})
        m->setEnabled(static_cast<bool>(m_rulesMenuFiller));
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

void TfrmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    // Shown only with the showMenu option.
    bar->hide();

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuRefreshConnections = mnuFile->addAction(QStringLiteral("&Refresh Connections"));
    connect(mnuRefreshConnections, &QAction::triggered, tb1, &QToolButton::click);
    mnuFile->addSeparator();
    mnuFile->addAction(
        commandAction(MainCommand::PrintTable, QStringLiteral("&Print connection table..."), this));
    mnuFile->addAction(
        commandAction(MainCommand::SaveTable, QStringLiteral("&Save connections to file"), this));
    mnuFile->addSeparator();
    mnuFile->addAction(
        commandAction(MainCommand::ExportConfig, QStringLiteral("&Export WVN config"), this));
    mnuFile->addAction(
        commandAction(MainCommand::ImportConfig, QStringLiteral("&Import WVN config"), this));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    connect(mnuExit, &QAction::triggered, this, &TfrmMain::mnuExitClick);

    mnuConnection = bar->addMenu(QStringLiteral("&Connection"));
    mnuCopyConnection = mnuConnection->addMenu(QStringLiteral("&Copy connection"));
    const char *const copyCaptions[] = {"Hostname",        "IP",
                                        "Local port",      "Remote port",
                                        "Status",          "Connection timestamp",
                                        "Recognized name", "All of the above"};
    for (int i = 0; i < 8; ++i) {
        mnuCopy[i] = mnuCopyConnection->addAction(QString::fromLatin1(copyCaptions[i]));
        connect(mnuCopy[i], &QAction::triggered, this,
                [this, i] { copyConnection(static_cast<CopyField>(i)); });
    }
    mnuCopyConnection->setDefaultAction(mnuCopy[7]);
    mnuConnInfo =
        commandAction(MainCommand::ConnectionInfo, QStringLiteral("Connection &Info"), this);
    mnuAdvLookup =
        commandAction(MainCommand::AdvancedLookup, QStringLiteral("Advanced &Lookup"), this);
    mnuRecognizeAs =
        commandAction(MainCommand::RecognizeAs, QStringLiteral("Reco&gnize as..."), this);
    mnuNetBios =
        commandAction(MainCommand::NetBiosLookup, QStringLiteral("&NetBIOS lookup..."), this);
    mnuRemotePortInfo = new QAction(QStringLiteral("&Remote Port Info"), this);
    mnuLocalPortInfo = new QAction(QStringLiteral("&Local Port Info"), this);
    mnuViewAlert = commandAction(MainCommand::ViewAlert, QStringLiteral("&View Alert"), this);
    mnuConnection->addActions({mnuConnInfo, mnuAdvLookup, mnuRecognizeAs, mnuNetBios});
    mnuConnection->addSeparator();
    mnuConnection->addActions({mnuRemotePortInfo, mnuLocalPortInfo});
    mnuViewAlertSep = mnuConnection->addSeparator();
    mnuConnection->addAction(mnuViewAlert);

    mnuRules = bar->addMenu(QStringLiteral("&Rules"));
    mnuRuleAlerts = mnuRules->addMenu(QStringLiteral("&View rule alerts"));
    mnuRuleIgnored = mnuRules->addMenu(QStringLiteral("&Ignored this session"));
    mnuRuleDisabled = mnuRules->addMenu(QStringLiteral("&Disabled"));
    mnuRules->addSeparator();
    mnuRules->addAction(
        commandAction(MainCommand::EditRules, QStringLiteral("&Edit rules..."), this));

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuSendToTray = mnuView->addAction(QStringLiteral("Send to system &tray"));
    mnuMaximize = mnuView->addAction(QStringLiteral("&Maximize to full screen"));
    mnuView->addSeparator();
    mnuGridLines = checkItem(mnuView, QStringLiteral("&Grid lines on table"));
    mnuExtraColumns = checkItem(mnuView, QStringLiteral("&Extra columns in table"));
    mnuShowOpenPorts = checkItem(mnuView, QStringLiteral("&Show open ports"));
    mnuColorCode = checkItem(mnuView, QStringLiteral("&Color code open ports"));

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    mnuCacheDNS = checkItem(mnuOptions, QStringLiteral("&Cache DNS"));
    mnuAutoResolve = checkItem(mnuOptions, QStringLiteral("&AutoResolve"));
    mnuOptions->addSeparator();
    mnuOptions->addAction(commandAction(MainCommand::Options, QStringLiteral("&Options..."), this));

    mnuViewbar = bar->addMenu(QStringLiteral("View&bar"));
    mnuVbToggle =
        commandAction(MainCommand::ViewBarToggle, QStringLiteral("Enable &Viewbar"), this);
    mnuVbSwitch =
        commandAction(MainCommand::ViewBarSwitch, QStringLiteral("&Switch top/bottom"), this);
    mnuVbAutoHide = commandAction(MainCommand::ViewBarAutoHide, QStringLiteral("&Autohide"), this);
    mnuVbScroll =
        commandAction(MainCommand::ViewBarScroll, QStringLiteral("Scroll &connections"), this);
    mnuVbAutoHide->setCheckable(true);
    mnuVbScroll->setCheckable(true);
    mnuViewbar->addActions({mnuVbToggle, mnuVbSwitch, mnuVbAutoHide, mnuVbScroll});

    mnuTools = bar->addMenu(QStringLiteral("&Tools"));
    mnuTools->addAction(
        commandAction(MainCommand::LookupTool, QStringLiteral("Advanced &Lookup [LATE]"), this));
    mnuTools->addAction(
        commandAction(MainCommand::PortDatabase, QStringLiteral("&Port Information"), this));
    mnuTools->addAction(commandAction(MainCommand::AdvancedStatistics,
                                      QStringLiteral("&Advanced Network Statistics"), this));
    mnuTools->addAction(
        commandAction(MainCommand::PortTester, QStringLiteral("Port &tester"), this));
    mnuTools->addSeparator();
    mnuTools->addAction(commandAction(MainCommand::RecognizeNew,
                                      QStringLiteral("&Recognize a new connection"), this));
    mnuTools->addAction(
        commandAction(MainCommand::CacheEditor, QStringLiteral("&Cache editor"), this));
    mnuTools->addSeparator();
    mnuTools->addAction(
        commandAction(MainCommand::QuickDns, QStringLiteral("Quick&DNS Lookup"), this));
    mnuTools->addAction(
        commandAction(MainCommand::QuickFinger, QStringLiteral("Quick&Finger"), this));
    mnuTools->addAction(
        commandAction(MainCommand::NetBiosTool, QStringLiteral("&NetBIOS Lookup"), this));

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    connect(mnuHelp->addAction(QStringLiteral("&Contents")), &QAction::triggered, this,
            &TfrmMain::mnuContentsClick);
    connect(mnuHelp->addAction(QStringLiteral("&Readme")), &QAction::triggered, this,
            &TfrmMain::mnuReadmeClick);
    mnuHelp->addSeparator();
    connect(mnuHelp->addAction(QStringLiteral("&About")), &QAction::triggered, this,
            &TfrmMain::mnuAboutClick);

    // The drop-downs of the toolbar share the menus' entries.
    tb6->setMenu(mnuHelp);
    tb10->setMenu(mnuTools);
    progPop = new QMenu(this);
    progPop->setObjectName(QStringLiteral("progPop"));
    tb5->setMenu(progPop);
    bugPop = new QMenu(this);
    bugPop->addAction(
        commandAction(MainCommand::BugReportTool, QStringLiteral("&Send a bug report..."), this));
    bugPop->addAction(
        commandAction(MainCommand::BugReportPage, QStringLiteral("Visit the &web page"), this));
    tb9->setMenu(bugPop);
    // Toolbar buttons that open other windows follow their command's state.
    const std::pair<QToolButton *, MainCommand> bound[] = {{tb3, MainCommand::Options},
                                                           {tb7, MainCommand::AdvancedStatistics},
                                                           {tb8, MainCommand::PortDatabase},
                                                           {tb11, MainCommand::Summary}};
    for (const auto &[button, command] : bound) {
        QAction *a = commandAction(command, button->text(), button);
        a->setIcon(button->icon());
        a->setToolTip(button->toolTip());
        a->setStatusTip(button->statusTip());
        button->setDefaultAction(a);
    }

    connect(mnuConnection, &QMenu::aboutToShow, this, &TfrmMain::mnuConnectionPopup);
    connect(mnuView, &QMenu::aboutToShow, this, &TfrmMain::mnuViewPopup);
    connect(mnuOptions, &QMenu::aboutToShow, this, &TfrmMain::mnuOptionsPopup);
    connect(mnuViewbar, &QMenu::aboutToShow, this, &TfrmMain::mnuViewbarPopup);
    connect(mnuRules, &QMenu::aboutToShow, this, &TfrmMain::mnuRulesPopup);
    connect(mnuSendToTray, &QAction::triggered, this, &TfrmMain::tb4Click);
    connect(mnuMaximize, &QAction::triggered, this, &TfrmMain::mnuMaximizeClick);
    connect(mnuGridLines, &QAction::triggered, this, &TfrmMain::mnuGridLinesClick);
    connect(mnuExtraColumns, &QAction::triggered, this, &TfrmMain::mnuExtraColumnsClick);
    connect(mnuShowOpenPorts, &QAction::triggered, this, &TfrmMain::mnuShowOpenPortsClick);
    connect(mnuColorCode, &QAction::triggered, this, &TfrmMain::mnuColorCodeClick);
    connect(mnuCacheDNS, &QAction::triggered, this, &TfrmMain::mnuCacheDNSClick);
    connect(mnuAutoResolve, &QAction::triggered, this, &TfrmMain::mnuAutoResolveClick);
    connect(mnuRemotePortInfo, &QAction::triggered, this, &TfrmMain::mnuRemotePortInfoClick);
    connect(mnuLocalPortInfo, &QAction::triggered, this, &TfrmMain::mnuLocalPortInfoClick);
}

void TfrmMain::buildContextMenus()
{
    rxpop = new QMenu(this);
    rxpop->setObjectName(QStringLiteral("rxpop"));
    rxViewAlert = commandAction(MainCommand::ViewAlert, QStringLiteral("&View Alert"), rxpop);
    rxpop->addAction(rxViewAlert);
    rxpop->setDefaultAction(rxViewAlert);
    rxViewAlertSep = rxpop->addSeparator();
    rxConnInfo =
        commandAction(MainCommand::ConnectionInfo, QStringLiteral("Connection &Info"), rxpop);
    rxAdvLookup =
        commandAction(MainCommand::AdvancedLookup, QStringLiteral("Advanced &Lookup"), rxpop);
    rxRecognizeAs =
        commandAction(MainCommand::RecognizeAs, QStringLiteral("Reco&gnize as..."), rxpop);
    rxRemotePortInfo = new QAction(QStringLiteral("&Remote Port Info"), rxpop);
    rxLocalPortInfo = new QAction(QStringLiteral("&Local Port Info"), rxpop);
    rxNetBios =
        commandAction(MainCommand::NetBiosLookup, QStringLiteral("&NetBIOS lookup..."), rxpop);
    rxpop->addActions(
        {rxConnInfo, rxAdvLookup, rxRecognizeAs, rxRemotePortInfo, rxLocalPortInfo, rxNetBios});
    rxpop->addSeparator();
    rxExtraColumns = checkItem(rxpop, QStringLiteral("E&xtra columns"));
    rxGridLines = checkItem(rxpop, QStringLiteral("Grid lines"));
    connect(rxRemotePortInfo, &QAction::triggered, this, &TfrmMain::mnuRemotePortInfoClick);
    connect(rxLocalPortInfo, &QAction::triggered, this, &TfrmMain::mnuLocalPortInfoClick);
    connect(rxExtraColumns, &QAction::triggered, this, &TfrmMain::mnuExtraColumnsClick);
    connect(rxGridLines, &QAction::triggered, this, &TfrmMain::mnuGridLinesClick);

    popcustomize = new QMenu(this);
    popcustomize->setObjectName(QStringLiteral("popcustomize"));
    const std::pair<const char *, QWidget *> items[] = {{"Advanced &Network Statistics", tb7},
                                                        {"&Summary", tb11},
                                                        {"&Port Info", tb8},
                                                        {"&Tools", tb10},
                                                        {"Pro&grams", tb5},
                                                        {"&Bug Report", tb9},
                                                        {"&Help", tb6},
                                                        {"&QuickPanel", Panel1}};
    for (const auto &[caption, control] : items) {
        QAction *item = checkItem(popcustomize, QString::fromLatin1(caption));
        QAction *toolbarItem = m_toolbarItems.value(control);
        m_customizeItems.append(std::make_pair(item, toolbarItem));
        connect(item, &QAction::triggered, toolbarItem,
                [toolbarItem] { toolbarItem->setVisible(!toolbarItem->isVisible()); });
    }
    connect(popcustomize, &QMenu::aboutToShow, this, &TfrmMain::popcustomizePopup);
}

void TfrmMain::updateRowMenu(bool contextMenu)
{
    const bool refreshing = !tb1->isEnabled();
    const RowCommandState s = rowCommandState(
        selectedRecord(), refreshing, contextMenu ? RowMenu::ContextMenu : RowMenu::MainMenu);
    struct RowItems
    {
        QAction *viewAlert, *viewAlertSep, *connInfo, *advLookup, *recognizeAs, *netBios,
            *remotePortInfo, *localPortInfo;
    };
    const RowItems items =
        contextMenu
            ? RowItems{rxViewAlert,   rxViewAlertSep, rxConnInfo,       rxAdvLookup,
                       rxRecognizeAs, rxNetBios,      rxRemotePortInfo, rxLocalPortInfo}
            : RowItems{mnuViewAlert,   mnuViewAlertSep, mnuConnInfo,       mnuAdvLookup,
                       mnuRecognizeAs, mnuNetBios,      mnuRemotePortInfo, mnuLocalPortInfo};
    if (contextMenu) {
        rxExtraColumns->setChecked(m_settings.values().morecols);
        rxGridLines->setChecked(m_settings.values().showGrids);
    } else {
        mnuCopyConnection->setEnabled(s.enabled);
        for (QAction *a : mnuCopy)
            a->setEnabled(s.enabled);
    }
    auto enable = [&](QAction *a, MainCommand c) {
        a->setEnabled(s.enabled && hasCommandHandler(c));
    };
    items.viewAlert->setVisible(s.viewAlertVisible);
    items.viewAlertSep->setVisible(s.viewAlertVisible);
    enable(items.viewAlert, MainCommand::ViewAlert);
    enable(items.connInfo, MainCommand::ConnectionInfo);
    enable(items.advLookup, MainCommand::AdvancedLookup);
    enable(items.recognizeAs, MainCommand::RecognizeAs);
    enable(items.netBios, MainCommand::NetBiosLookup);
    items.remotePortInfo->setEnabled(s.enabled && m_portInfo);
    items.localPortInfo->setEnabled(s.enabled && m_portInfo);
    items.advLookup->setText(s.lookupCaption);
    items.localPortInfo->setText(s.localPortCaption);
    items.remotePortInfo->setText(s.remotePortCaption);
}

void TfrmMain::lvContextPopup(const QPoint &pos)
{
    // A refresh in progress owns the table.
    if (!tb1->isEnabled())
        return;
    updateRowMenu(true);
    rxpop->popup(lv->viewport()->mapToGlobal(pos));
}

void TfrmMain::mnuConnectionPopup()
{
    updateRowMenu(false);
}

void TfrmMain::mnuViewPopup()
{
    const Settings &s = m_settings.values();
    mnuGridLines->setChecked(s.showGrids);
    mnuExtraColumns->setChecked(s.morecols);
    mnuColorCode->setChecked(s.colorCode);
    mnuShowOpenPorts->setChecked(s.showListens);
}

void TfrmMain::mnuOptionsPopup()
{
    mnuCacheDNS->setChecked(m_settings.values().cacheDNS);
    mnuAutoResolve->setChecked(m_settings.values().autoResolve);
}

void TfrmMain::mnuViewbarPopup()
{
    const bool shown = m_viewBarShown ? m_viewBarShown() : false;
    mnuVbToggle->setText(shown ? QStringLiteral("Disable &Viewbar")
                               : QStringLiteral("Enable &Viewbar"));
    mnuVbSwitch->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarSwitch));
    mnuVbAutoHide->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarAutoHide));
    mnuVbScroll->setEnabled(shown && hasCommandHandler(MainCommand::ViewBarScroll));
    mnuVbAutoHide->setChecked(m_settings.values().vbAutoHide);
    mnuVbScroll->setChecked(m_settings.values().vbScroll);
}

void TfrmMain::mnuRulesPopup()
{
    if (m_rulesMenuFiller)
        m_rulesMenuFiller(mnuRuleAlerts, mnuRuleIgnored, mnuRuleDisabled);
}

void TfrmMain::popcustomizePopup()
{
    for (const auto &[item, toolbarItem] : m_customizeItems)
        item->setChecked(toolbarItem->isVisible());
}

void TfrmMain::customizeMouseUp(QWidget *, const QPoint &globalPos)
{
    popcustomize->popup(globalPos - QPoint(8, 8));
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            customizeMouseUp(qobject_cast<QWidget *>(watched), me->globalPosition().toPoint());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == tb10) {
        // Shift with a click on "Tools" asks for the table to be built anew.
        if (static_cast<QMouseEvent *>(event)->modifiers() & Qt::ShiftModifier) {
            m_cycle->setRebuildPending(true);
            DebugLog(QStringLiteral("Table rebuild requested"));
        }
    }
    return QMainWindow::eventFilter(watched, event);
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
    chkShowListen->toggle();
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
    chkAutoResolve->toggle();
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
        QStringLiteral("<b>Wirevane 3.0</b><p>Watches the network connections of this computer: "
                       "every TCP connection, the ports that listen, and what changes between "
                       "two looks.</p>"));
}

} // namespace wv
