#include "mainwin/ui/MainMenus.h"

#include "mainwin/RowCommands.h"
#include "mainwin/ui/MainCommands.h"
#include "mainwin/ui/MainToolbar.h"
#include "settings/Settings.h"

#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

namespace wv {

namespace {

QAction *checkItem(QMenu *menu, const QString &text)
{
    QAction *a = menu->addAction(text);
    a->setCheckable(true);
    return a;
}

} // namespace

MainMenus::MainMenus(QMenuBar *bar, MainCommands &commands, const MainToolbar &toolbar,
                     QWidget *parent)
{
    buildMenuBar(bar, commands, parent);
    buildContextMenu(commands, parent);
    buildToolbarMenus(commands, toolbar, parent);
}

void MainMenus::buildMenuBar(QMenuBar *bar, MainCommands &commands, QWidget *parent)
{
    // Shown only with the showMenu option.
    bar->hide();
    auto command = [&](MainCommand c, const char *text) {
        return commands.action(c, QString::fromLatin1(text), parent);
    };

    mnuFile = bar->addMenu(QStringLiteral("&File"));
    mnuRefreshConnections = mnuFile->addAction(QStringLiteral("&Refresh Connections"));
    mnuFile->addSeparator();
    mnuFile->addAction(command(MainCommand::PrintTable, "&Print connection table..."));
    mnuFile->addAction(command(MainCommand::SaveTable, "&Save connections to file"));
    mnuFile->addSeparator();
    mnuFile->addAction(command(MainCommand::ExportConfig, "&Export WVN config"));
    mnuFile->addAction(command(MainCommand::ImportConfig, "&Import WVN config"));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));

    mnuConnection = bar->addMenu(QStringLiteral("&Connection"));
    mnuCopyConnection = mnuConnection->addMenu(QStringLiteral("&Copy connection"));
    const char *const copyCaptions[] = {"Hostname",        "IP",
                                        "Local port",      "Remote port",
                                        "Status",          "Connection timestamp",
                                        "Recognized name", "All of the above"};
    for (int i = 0; i < 8; ++i)
        mnuCopy[i] = mnuCopyConnection->addAction(QString::fromLatin1(copyCaptions[i]));
    mnuCopyConnection->setDefaultAction(mnuCopy[7]);
    mnuConnInfo = command(MainCommand::ConnectionInfo, "Connection &Info");
    mnuAdvLookup = command(MainCommand::AdvancedLookup, "Advanced &Lookup");
    mnuRecognizeAs = command(MainCommand::RecognizeAs, "Reco&gnize as...");
    mnuNetBios = command(MainCommand::NetBiosLookup, "&NetBIOS lookup...");
    mnuRemotePortInfo = new QAction(QStringLiteral("&Remote Port Info"), parent);
    mnuLocalPortInfo = new QAction(QStringLiteral("&Local Port Info"), parent);
    mnuViewAlert = command(MainCommand::ViewAlert, "&View Alert");
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
    mnuRules->addAction(command(MainCommand::EditRules, "&Edit rules..."));

    mnuView = bar->addMenu(QStringLiteral("&View"));
    mnuSendToTray = mnuView->addAction(QStringLiteral("Send to system &tray"));
    mnuMaximize = mnuView->addAction(QStringLiteral("&Maximize to full screen"));
    mnuView->addSeparator();
    mnuGridLines = checkItem(mnuView, QStringLiteral("&Grid lines on table"));
    mnuExtraColumns = checkItem(mnuView, QStringLiteral("&Extra columns in table"));
    mnuShowOpenPorts = checkItem(mnuView, QStringLiteral("&Show open ports"));
    mnuColorCode = checkItem(mnuView, QStringLiteral("&Color code open ports"));
    mnuView->addSeparator();
    mnuDetailColumns = checkItem(mnuView, QStringLiteral("&Process and traffic columns"));

    mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    mnuCacheDNS = checkItem(mnuOptions, QStringLiteral("&Cache DNS"));
    mnuAutoResolve = checkItem(mnuOptions, QStringLiteral("&AutoResolve"));
    mnuOptions->addSeparator();
    mnuOptions->addAction(command(MainCommand::Options, "&Options..."));

    mnuViewbar = bar->addMenu(QStringLiteral("View&bar"));
    mnuVbToggle = command(MainCommand::ViewBarToggle, "Enable &Viewbar");
    mnuVbSwitch = command(MainCommand::ViewBarSwitch, "&Switch top/bottom");
    mnuVbAutoHide = command(MainCommand::ViewBarAutoHide, "&Autohide");
    mnuVbScroll = command(MainCommand::ViewBarScroll, "Scroll &connections");
    mnuVbAutoHide->setCheckable(true);
    mnuVbScroll->setCheckable(true);
    mnuViewbar->addActions({mnuVbToggle, mnuVbSwitch, mnuVbAutoHide, mnuVbScroll});

    mnuTools = bar->addMenu(QStringLiteral("&Tools"));
    mnuTools->addAction(command(MainCommand::LookupTool, "Advanced &Lookup [LATE]"));
    mnuTools->addAction(command(MainCommand::PortDatabase, "&Port Information"));
    mnuTools->addAction(command(MainCommand::AdvancedStatistics, "&Advanced Network Statistics"));
    mnuTools->addAction(command(MainCommand::PortTester, "Port &tester"));
    mnuTools->addSeparator();
    mnuTools->addAction(command(MainCommand::RecognizeNew, "&Recognize a new connection"));
    mnuTools->addAction(command(MainCommand::CacheEditor, "&Cache editor"));
    mnuTools->addSeparator();
    mnuTools->addAction(command(MainCommand::QuickDns, "Quick&DNS Lookup"));
    mnuTools->addAction(command(MainCommand::QuickFinger, "Quick&Finger"));
    mnuTools->addAction(command(MainCommand::NetBiosTool, "&NetBIOS Lookup"));

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuContents = mnuHelp->addAction(QStringLiteral("&Contents"));
    mnuReadme = mnuHelp->addAction(QStringLiteral("&Readme"));
    mnuHelp->addSeparator();
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About"));
}

void MainMenus::buildContextMenu(MainCommands &commands, QWidget *parent)
{
    rxpop = new QMenu(parent);
    rxpop->setObjectName(QStringLiteral("rxpop"));
    auto command = [&](MainCommand c, const char *text) {
        return commands.action(c, QString::fromLatin1(text), rxpop);
    };
    rxViewAlert = command(MainCommand::ViewAlert, "&View Alert");
    rxpop->addAction(rxViewAlert);
    rxpop->setDefaultAction(rxViewAlert);
    rxViewAlertSep = rxpop->addSeparator();
    rxConnInfo = command(MainCommand::ConnectionInfo, "Connection &Info");
    rxAdvLookup = command(MainCommand::AdvancedLookup, "Advanced &Lookup");
    rxRecognizeAs = command(MainCommand::RecognizeAs, "Reco&gnize as...");
    rxRemotePortInfo = new QAction(QStringLiteral("&Remote Port Info"), rxpop);
    rxLocalPortInfo = new QAction(QStringLiteral("&Local Port Info"), rxpop);
    rxNetBios = command(MainCommand::NetBiosLookup, "&NetBIOS lookup...");
    rxpop->addActions(
        {rxConnInfo, rxAdvLookup, rxRecognizeAs, rxRemotePortInfo, rxLocalPortInfo, rxNetBios});
    rxpop->addSeparator();
    rxExtraColumns = checkItem(rxpop, QStringLiteral("E&xtra columns"));
    rxGridLines = checkItem(rxpop, QStringLiteral("Grid lines"));
}

void MainMenus::buildToolbarMenus(MainCommands &commands, const MainToolbar &toolbar,
                                  QWidget *parent)
{
    // The drop-downs of the toolbar share the menus' entries.
    toolbar.tb6->setMenu(mnuHelp);
    toolbar.tb10->setMenu(mnuTools);
    progPop = new QMenu(parent);
    progPop->setObjectName(QStringLiteral("progPop"));
    toolbar.tb5->setMenu(progPop);
    bugPop = new QMenu(parent);
    bugPop->addAction(commands.action(MainCommand::BugReportTool,
                                      QStringLiteral("&Send a bug report..."), parent));
    bugPop->addAction(
        commands.action(MainCommand::BugReportPage, QStringLiteral("Visit the &web page"), parent));
    toolbar.tb9->setMenu(bugPop);
    // Toolbar buttons that open other windows follow their command's state.
    const std::pair<QToolButton *, MainCommand> bound[] = {
        {toolbar.tb3, MainCommand::Options},
        {toolbar.tb7, MainCommand::AdvancedStatistics},
        {toolbar.tb8, MainCommand::PortDatabase},
        {toolbar.tb11, MainCommand::Summary}};
    for (const auto &[button, command] : bound) {
        QAction *a = commands.action(command, button->text(), button);
        a->setIcon(button->icon());
        a->setToolTip(button->toolTip());
        a->setStatusTip(button->statusTip());
        button->setDefaultAction(a);
    }
}

void MainMenus::showRowState(bool contextMenu, const RowCommandState &s, bool portInfo,
                             const Settings &settings, const MainCommands &commands)
{
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
        rxExtraColumns->setChecked(settings.morecols);
        rxGridLines->setChecked(settings.showGrids);
    } else {
        mnuCopyConnection->setEnabled(s.enabled);
        for (QAction *a : mnuCopy)
            a->setEnabled(s.enabled);
    }
    auto enable = [&](QAction *a, MainCommand c) {
        a->setEnabled(s.enabled && commands.hasHandler(c));
    };
    items.viewAlert->setVisible(s.viewAlertVisible);
    items.viewAlertSep->setVisible(s.viewAlertVisible);
    enable(items.viewAlert, MainCommand::ViewAlert);
    enable(items.connInfo, MainCommand::ConnectionInfo);
    enable(items.advLookup, MainCommand::AdvancedLookup);
    enable(items.recognizeAs, MainCommand::RecognizeAs);
    enable(items.netBios, MainCommand::NetBiosLookup);
    items.remotePortInfo->setEnabled(s.enabled && portInfo);
    items.localPortInfo->setEnabled(s.enabled && portInfo);
    items.advLookup->setText(s.lookupCaption);
    items.localPortInfo->setText(s.localPortCaption);
    items.remotePortInfo->setText(s.remotePortCaption);
}

} // namespace wv
