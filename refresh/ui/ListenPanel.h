#pragma once

#include <QFrame>

class QAction;
class QMenu;
class QMouseEvent;
class QTableView;
class QToolButton;

namespace wv {

class ListenPortsModel;
class PortInfoOpener;

// The strip under the connection table that shows the listening ports, two
// per column, with its close, info-mode and connect buttons.
class ListenPanel : public QFrame
{
    Q_OBJECT
public:
    static constexpr int PanelHeight = 57;
    static constexpr int RowHeight = 16;
    static constexpr int ColumnWidth = 35;

    // opener may be null until a port information window exists.
    ListenPanel(ListenPortsModel &model, PortInfoOpener *opener, QWidget *parent = nullptr);

    void setPortInfoOpener(PortInfoOpener *opener) { m_opener = opener; }
    // Shows the connect controls once a port tester is there to run them.
    void setPortTesterAvailable(bool available);

    QTableView *listenGrid = nullptr;
    QWidget *listenCloseBox = nullptr;
    QToolButton *tbListenClose = nullptr;
    QToolButton *tbListenInfo = nullptr;
    QToolButton *tbPlugPort = nullptr;
    QMenu *lgPopup = nullptr;
    QAction *mnuPortInformation = nullptr;
    QAction *mnuConnectToPort = nullptr;

    // The text of the grid's selected cell.
    QString selectedCellText() const;

Q_SIGNALS:
    // tbListenClose was clicked.
    void closeRequested();
    // The user asked to test a listening port; connectNow runs the
    // tester's connect command at once.
    void portTestRequested(const QString &port, bool connectNow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tbListenInfoClick(bool down);
    void tbPlugPortClick();
    void listenGridMouseUp(QMouseEvent *event);
    void listenGridMouseMove(QMouseEvent *event);
    void mnuPortInformationClick();
    void mnuConnectToPortClick();
    // The grid cell under a point of the grid's viewport; below the last row
    // (the scroll bar strip) the first row is meant.
    QModelIndex cellAt(const QPoint &pos) const;
    void showPortInfo(const QString &text);

    ListenPortsModel &m_model;
    PortInfoOpener *m_opener = nullptr;
};

} // namespace wv
