#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTableView;
class QTimer;
class QToolButton;
class QUrl;

namespace wv {

class TMSTrace;
class TraceHopModel;
class WhoisLookup;
class WhoisSocket;

// The lookup window: trace route on the left, WHOIS on the right.
class TfrmLookup : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TraceTimeOut = 2000;
    static constexpr int DefaultWhoisWidth = 420;

    struct Services
    {
        // The program's cached reverse look-up; without it a hop's host is
        // its address.
        std::function<QString(const QString &)> hostName;
        // Name servers for the trace target's look-up; empty: the system's.
        QStringList dnsServers;
        // The desktop's URL handler (mailto:, http://).
        std::function<void(const QUrl &)> openUrl;
        // The save dialog: the chosen file for a proposed name, empty when
        // cancelled.
        std::function<QString(const QString &proposed)> chooseSaveFile;
        // The "Other..." e-mail address, empty when cancelled.
        std::function<QString()> askEmail;
        // wvn3.ini; empty: the one in the per-user folder.
        QString placementFile;
        // A WHOIS server that stays silent this long ends the query.
        int whoisIdleTimeout = 60000;
    };

    explicit TfrmLookup(const Services &services, QWidget *parent = nullptr);
    ~TfrmLookup() override;

    // Puts an address into the trace box and its domain (or the address
    // itself when it has no letter) into the WHOIS query.
    void setAddress(const QString &address);

    QString lastQuery() const { return m_lastQuery; }
    QString profileQuery() const { return m_profileQuery; }
    int cancelledFlag() const;
    TraceHopModel &hops() { return *m_hops; }
    TMSTrace &traceComponent() { return *trace; }

    // Trace side
    QLineEdit *edtTraceAddr;
    QPushButton *btnTrace;
    QPushButton *btnStop;
    QTableView *lv;
    QMenu *lvPop;
    QAction *mnuPerformWhois;
    QAction *mnuWhoisItems[5];
    // WHOIS side
    QWidget *Panel1;
    QLineEdit *edtQuery;
    QComboBox *cboServer;
    QPushButton *btnQuery;
    QPushButton *btnWhoisStop;
    QPlainTextEdit *Memo1;
    QPlainTextEdit *Memo2;
    QToolButton *tbContact;
    QToolButton *tbSave;
    QToolButton *tbEmail;
    QToolButton *tbWebsite;
    QMenu *contactPop;
    QMenu *savePop;
    QMenu *emailPop;
    QLabel *stat[3];
    QSplitter *splitter;

    void btnTraceClick();
    void btnStopClick();
    void btnQueryClick();
    void btnWhoisStopClick();
    void tbWebsiteClick();
    // The menus fill themselves when they open; tests call these directly.
    void lvPopPopup();
    void contactPopPopup();
    void savePopPopup();
    void emailPopPopup();
    void contactItemClick(int item);
    void saveItemClick(int item);
    void emailItemClick(int item);
    void whoisItemClick(int item);

Q_SIGNALS:
    // The trace finished, failed or the WHOIS query ended (tests wait on these).
    void traceEnded();
    void queryEnded();
    void profileEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildTraceSide();
    QWidget *buildWhoisSide();
    void traceData();
    void traceFinished();
    void traceError(QObject *sender, qint32 code, const QString &text);
    void traceControlsIdle();
    void sockLines(const QStringList &lines);
    void sockFinished();
    void sock2Lines(const QStringList &lines);
    void sock2Finished();
    void setFollowUpsEnabled(bool on);
    void stripAndScroll(QPlainTextEdit *memo);
    void saveMemo(QPlainTextEdit *memo, const QString &proposed);
    void openUrl(const QUrl &url);
    void clockTimer();
    void savePlacement();

    Services m_services;
    TMSTrace *trace;
    TraceHopModel *m_hops;
    WhoisLookup *sock;
    WhoisSocket *sock2;
    QTimer *m_clock;
    QString m_lastQuery;
    QString m_profileQuery;
    qsizetype m_memo2Chars = 0;
    bool m_cancelled = false;
    bool m_inData = false;
    bool m_closePending = false;
    QList<QAction *> m_contactItems;
    QList<QAction *> m_saveItems;
    QList<QAction *> m_emailItems;
    QList<QString> m_whoisQueries;
};

// Opens a lookup window for an address (from the main window, the connection
// information window, a rule or an alert): the address goes into the trace
// box, its domain or itself into the WHOIS query; nothing starts by itself.
TfrmLookup *OpenLookup(const QString &address, const TfrmLookup::Services &services = {});

} // namespace wv
