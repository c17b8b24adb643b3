#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>

class QAction;
class QCheckBox;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace wv {

// The main window's command toolbar ("Toolbar971"): the buttons tb1 to tb11,
// the quick panel with its two check boxes, and the customisation menu a
// right click on any of them opens (which buttons show). The window connects
// the buttons to its handlers; the pointers are fixed once built.
class MainToolbar : public QObject
{
    Q_OBJECT
public:
    // Builds the toolbar into the window's top toolbar area.
    explicit MainToolbar(QMainWindow *window);

    QToolBar *Toolbar971 = nullptr;
    QToolButton *tb1 = nullptr;  // Refresh
    QToolButton *tb2 = nullptr;  // Info
    QToolButton *tb3 = nullptr;  // Options
    QToolButton *tb4 = nullptr;  // Tray
    QToolButton *tb5 = nullptr;  // Programs (drop-down)
    QToolButton *tb6 = nullptr;  // Help (drop-down)
    QToolButton *tb7 = nullptr;  // Advanced statistics
    QToolButton *tb8 = nullptr;  // Port information
    QToolButton *tb9 = nullptr;  // Bug report (drop-down)
    QToolButton *tb10 = nullptr; // Tools (drop-down)
    QToolButton *tb11 = nullptr; // Summary
    QWidget *Panel1 = nullptr;   // the quick panel
    QCheckBox *chkAutoResolve = nullptr;
    QCheckBox *chkShowListen = nullptr;
    QMenu *popcustomize = nullptr;

    // Which of the toolbar's items show, by object name (for the window's
    // placement); tb1 and tb2 carry the refresh cycle and always show.
    QMap<QString, bool> visibleControls() const;
    void restoreVisibleControls(const QMap<QString, bool> &controls);

Q_SIGNALS:
    // Shift with a click on "Tools": the user asks for the table to be
    // built anew.
    void rebuildRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void popcustomizePopup();
    void customizeMouseUp(const QPoint &globalPos);
    void buildCustomizeMenu(QWidget *parent);

    QList<std::pair<QAction *, QAction *>> m_customizeItems; // menu item, toolbar item
    QHash<QWidget *, QAction *> m_toolbarItems;
};

} // namespace wv
