#pragma once

#include "refresh/ConnectionRecord.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace wv {

// Everything the monitor knows about one row of the connection table,
// shown modally while the refresh cycle is paused. Created on first use and
// kept: closing only hides it.
class TfrmConnInfo : public QDialog
{
    Q_OBJECT
public:
    struct Services
    {
        // The cached reverse look-up (GetHostName).
        std::function<QString(const QString &)> hostName;
        // The port information window for a port.
        std::function<void(int port)> showPortInfo;
        // Opens the lookup window for a host name or address.
        std::function<void(const QString &)> openLookup;
        // The recognize dialog for the row; returns the row's recognized
        // name afterwards.
        std::function<QString(const ConnectionRecord &)> recognize;
        // Stops the refresh timer (true) and gives it back its state (false).
        std::function<void(bool paused)> pauseRefresh;
    };

    explicit TfrmConnInfo(const Services &services, QWidget *parent = nullptr);

    // Fills the window for row i and shows it modally; returns when closed.
    void ConnectionInfo(int i, const ConnectionRecord &row, bool autoResolve,
                        const QString &friendlyName);
    // Fills the window without showing it (the first steps of ConnectionInfo).
    void fill(int i, const ConnectionRecord &row, bool autoResolve, const QString &friendlyName);

    QLineEdit *infIP;
    QLineEdit *infHostname;
    QLineEdit *infLPort;
    QLineEdit *infRPort;
    QLineEdit *infProto;
    QLineEdit *infState;
    QPlainTextEdit *infStateDesc;
    QToolButton *tbListenInfo;
    QToolButton *tbListenInfo2;
    QGroupBox *grpRecognized;
    QLabel *lblRecognized;
    QToolButton *tb1;
    QGroupBox *grpAware;
    QLabel *lblAwareSince;
    // The owning process and the bytes moved, where known.
    QGroupBox *grpTraffic;
    QLabel *lblProcess;
    QLabel *lblSent;
    QLabel *lblReceived;
    QLabel *lblRate;
    QPushButton *btnOK;
    QPushButton *btnAdvLookup;

    void tbListenInfoClick();
    void tbListenInfo2Click();
    void btnAdvLookupClick();
    void tb1Click();
    void lblAwareSinceClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Services m_services;
    ConnectionRecord m_row;
};

} // namespace wv
