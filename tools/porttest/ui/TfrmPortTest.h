#pragma once

#include <QMainWindow>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace wv {

class RegistryStore;
class TerminalWidget;

// "Port Testing / Mini Telnet Client": connects to a host and port and shows
// what the service sends in a terminal of 80 by 25 characters.
class TfrmPortTest : public QMainWindow
{
    Q_OBJECT
public:
    // listenPorts: the local listening ports when the window is made (the
    // port box's list).
    TfrmPortTest(RegistryStore &registry, const QStringList &listenPorts,
                 QWidget *parent = nullptr);
    ~TfrmPortTest() override;

    QToolBar *toolBar = nullptr;
    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QToolButton *tb4 = nullptr;
    QComboBox *cboHost = nullptr;
    QComboBox *cboPort = nullptr;
    QCheckBox *chkEcho = nullptr;
    TerminalWidget *tn = nullptr;
    QStatusBar *stat = nullptr;

    void tb1Click();
    void tb2Click();
    // Selects the entry with this text in the port list and puts the text in
    // the port box; false when the list has no such entry.
    bool selectPort(const QString &port);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateConnectButton();
    void tnSessionConnected();
    void tnSessionClosed();
    void tnDataAvailable();
    void savePlacement();

    RegistryStore &m_registry;
};

} // namespace wv
