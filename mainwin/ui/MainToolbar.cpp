#include "mainwin/ui/MainToolbar.h"

#include "components/ui/Artwork.h"
#include "settings/DebugTrace.h"

#include <QCheckBox>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

namespace {

// Every button's picture fills the same square, so that the captions under
// them line up whatever sizes the icon theme offers.
QIcon toolbarIcon(const QIcon &source)
{
    constexpr int side = 24;
    QPixmap pm = source.pixmap(QSize(side, side));
    if (pm.isNull())
        return source;
    if (pm.width() < side && pm.height() < side)
        pm = pm.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap square(side, side);
    square.fill(Qt::transparent);
    QPainter p(&square);
    p.drawPixmap((side - pm.width()) / 2, (side - pm.height()) / 2, pm);
    p.end();
    return QIcon(square);
}

QToolButton *commandButton(const char *name, const QString &text, const QString &hint,
                           const QString &theme, QStyle::StandardPixmap fallback, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setIcon(toolbarIcon(QIcon::fromTheme(theme, parent->style()->standardIcon(fallback))));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    return b;
}

} // namespace

MainToolbar::MainToolbar(QMainWindow *window) : QObject(window)
{
    Toolbar971 = new QToolBar(QStringLiteral("Command Toolbar"), window);
    Toolbar971->setObjectName(QStringLiteral("Toolbar971"));
    Toolbar971->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    Toolbar971->setFloatable(true);
    Toolbar971->setMovable(true);
    Toolbar971->setIconSize(QSize(24, 24));
    Toolbar971->setContextMenuPolicy(Qt::PreventContextMenu);
    // The drop-down buttons open on a click; an arrow under their caption
    // would only put their text out of line with the others.
    Toolbar971->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    window->addToolBar(Qt::TopToolBarArea, Toolbar971);

    tb2 = commandButton("tb2", QStringLiteral("&Info"), QStringLiteral("Connection Information"),
                        QStringLiteral("dialog-information"), QStyle::SP_MessageBoxInformation,
                        window);
    tb2->setEnabled(false);
    tb1 = commandButton("tb1", QStringLiteral("&Refresh"),
                        QStringLiteral("Refresh your current connections"),
                        QStringLiteral("view-refresh"), QStyle::SP_BrowserReload, window);
    tb4 = commandButton("tb4", QStringLiteral("&Tray"), QStringLiteral("Minimize to system tray"),
                        QStringLiteral("go-down"), QStyle::SP_ArrowDown, window);
    tb4->setIcon(toolbarIcon(programIcon()));
    tb3 = commandButton("tb3", QStringLiteral("&Options"), QStringLiteral("WVN Options"),
                        QStringLiteral("preferences-system"), QStyle::SP_FileDialogDetailedView,
                        window);
    tb6 = commandButton("tb6", QStringLiteral("&Help"), QStringLiteral("Help"),
                        QStringLiteral("help-browser"), QStyle::SP_DialogHelpButton, window);
    tb7 = commandButton(
        "tb7", QStringLiteral("Ad&v Stat"), QStringLiteral("Advanced Network Statistics"),
        QStringLiteral("utilities-system-monitor"), QStyle::SP_ComputerIcon, window);
    tb5 =
        commandButton("tb5", QStringLiteral("Programs"), QStringLiteral("Launch external programs"),
                      QStringLiteral("system-run"), QStyle::SP_DesktopIcon, window);
    tb8 = commandButton("tb8", QStringLiteral("Port &Info"),
                        QStringLiteral("Port Information database"),
                        QStringLiteral("network-server"), QStyle::SP_DriveNetIcon, window);
    tb9 = commandButton("tb9", QStringLiteral("&Bug Rep"), QStringLiteral("Submit bug reports."),
                        QStringLiteral("tools-report-bug"), QStyle::SP_MessageBoxWarning, window);
    tb10 = commandButton("tb10", QStringLiteral("Too&ls"), QStringLiteral("Internet Tools"),
                         QStringLiteral("applications-internet"), QStyle::SP_DirLinkIcon, window);
    tb11 = commandButton("tb11", QStringLiteral("&Summary"), QStringLiteral("Show Summary window"),
                         QStringLiteral("x-office-document"), QStyle::SP_FileDialogContentsView,
                         window);
    for (QToolButton *b : {tb5, tb6, tb9, tb10})
        b->setPopupMode(QToolButton::InstantPopup);

    Panel1 = new QWidget(window);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    chkAutoResolve = new QCheckBox(QStringLiteral("&AutoResolve"), Panel1);
    chkAutoResolve->setToolTip(QStringLiteral("Toggle automatic hostname lookup"));
    chkShowListen = new QCheckBox(QStringLiteral("&Show open ports"), Panel1);
    chkShowListen->setToolTip(QStringLiteral("Toggle Listening ports"));
    auto *quick = new QVBoxLayout(Panel1);
    quick->setContentsMargins(8, 0, 4, 0);
    quick->setSpacing(0);
    quick->addWidget(chkAutoResolve);
    quick->addWidget(chkShowListen);

    for (QToolButton *b : {tb2, tb1, tb4, tb3, tb6, tb7, tb5, tb8, tb9, tb10, tb11}) {
        QAction *a = Toolbar971->addWidget(b);
        a->setObjectName(b->objectName());
        m_toolbarItems.insert(b, a);
        b->installEventFilter(this);
    }
    Toolbar971->addSeparator();
    QAction *panelItem = Toolbar971->addWidget(Panel1);
    panelItem->setObjectName(QStringLiteral("Panel1"));
    m_toolbarItems.insert(Panel1, panelItem);
    for (QWidget *w :
         {Panel1, static_cast<QWidget *>(chkAutoResolve), static_cast<QWidget *>(chkShowListen)})
        w->installEventFilter(this);
    // Help stays off the toolbar until the user adds it.
    m_toolbarItems.value(tb6)->setVisible(false);

    buildCustomizeMenu(window);
}

void MainToolbar::buildCustomizeMenu(QWidget *parent)
{
    popcustomize = new QMenu(parent);
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
        QAction *item = popcustomize->addAction(QString::fromLatin1(caption));
        item->setCheckable(true);
        QAction *toolbarItem = m_toolbarItems.value(control);
        m_customizeItems.append(std::make_pair(item, toolbarItem));
        connect(item, &QAction::triggered, toolbarItem,
                [toolbarItem] { toolbarItem->setVisible(!toolbarItem->isVisible()); });
    }
    connect(popcustomize, &QMenu::aboutToShow, this, &MainToolbar::popcustomizePopup);
}

QMap<QString, bool> MainToolbar::visibleControls() const
{
    QMap<QString, bool> controls;
    for (QAction *a : Toolbar971->actions()) {
        if (!a->objectName().isEmpty())
            controls.insert(a->objectName(), a->isVisible());
    }
    return controls;
}

void MainToolbar::restoreVisibleControls(const QMap<QString, bool> &controls)
{
    for (QAction *a : Toolbar971->actions()) {
        const QString name = a->objectName();
        // tb1 and tb2 carry the refresh cycle; they cannot be taken away.
        if (controls.contains(name) && name != QLatin1String("tb1") && name != QLatin1String("tb2"))
            a->setVisible(controls.value(name));
    }
}

void MainToolbar::popcustomizePopup()
{
    for (const auto &[item, toolbarItem] : m_customizeItems)
        item->setChecked(toolbarItem->isVisible());
}

void MainToolbar::customizeMouseUp(const QPoint &globalPos)
{
    popcustomize->popup(globalPos - QPoint(8, 8));
}

bool MainToolbar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            customizeMouseUp(me->globalPosition().toPoint());
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == tb10) {
        if (static_cast<QMouseEvent *>(event)->modifiers() & Qt::ShiftModifier) {
            Q_EMIT rebuildRequested();
            DebugLog(QStringLiteral("Table rebuild requested"));
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wv
