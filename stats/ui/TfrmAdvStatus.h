#pragma once

#include "stats/advstat/CounterPages.h"
#include "stats/advstat/DialUpConnections.h"
#include "stats/advstat/StatsPages.h"
#include "stats/advstat/Transmission.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QFileDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace wv {

class AdapterChoice;
class StatsListModel;
class TLed;
struct Settings;

// "Advanced Network Statistics": the dial-up adapter's traffic and active
// dial-up connection, and every IP, ICMP, TCP and UDP counter, on five pages.
// Not modal; freed when closed.
class TfrmAdvStatus : public QDialog
{
    Q_OBJECT
public:
    struct Sources
    {
        // Where the dial-up adapter is chosen (and its interface looked up).
        AdapterChoice *adapter = nullptr;
        // Active dial-up connections; null: NetworkManager on the system bus.
        std::shared_ptr<DialUpConnectionSource> dialUp;
        // The counters of the host shown when that is another host (null: this
        // machine's only). Must outlive the window.
        CounterPages *pages = nullptr;
        // The interfaces' folder (tests point it elsewhere).
        QString sysClassNet = QStringLiteral("/sys/class/net");
    };

    // Creating the window opens the four counter lists (EConnListError when
    // the agent cannot be opened).
    TfrmAdvStatus(const Settings &settings, const Sources &sources, QWidget *parent = nullptr);
    ~TfrmAdvStatus() override;

    // Where failures go; by default a message box captioned "Error".
    void setErrorReporter(std::function<void(const QString &)> reporter);
    // Replaces the save dialog (tests): returns false to cancel, else the
    // path and the filter index (1 to 5).
    std::function<bool(QString *path, int *filterIndex)> chooseFile;

    StatsListModel &model(StatsPage page) const { return *m_models[size_t(page)]; }
    QTableView *list(StatsPage page) const { return m_lists[size_t(page)]; }

    QTabWidget *pc = nullptr;
    QTableView *mainLv = nullptr;
    QTableView *icmpLv = nullptr;
    QTableView *ipLv = nullptr;
    QTableView *tcpLv = nullptr;
    QTableView *udpLv = nullptr;
    QLabel *lblRcvd = nullptr;
    QLabel *lblSent = nullptr;
    QLabel *lblFrames = nullptr;
    QLabel *lblNetDevice = nullptr;
    // Whose counters the pages show, shown while that is another host.
    QLabel *lblHost = nullptr;
    QComboBox *cbAdapter = nullptr;
    TLed *LED1 = nullptr; // received
    TLed *LED2 = nullptr; // sent
    QTimer *modemTimer1 = nullptr;
    QMenu *itemPopup = nullptr;
    QAction *miName = nullptr;
    QAction *miVal = nullptr;
    QPushButton *butOK = nullptr;
    QPushButton *butCancel = nullptr;
    QPushButton *butSave = nullptr;
    QFileDialog *saveD = nullptr;

    // Handlers.
    void pcChange();
    void modemTimer1Timer();
    void DialUpActiveConnection(const DialUpConnection &connection);
    void butSaveClick();
    // The row menu for a row of a list (what a right-button release opens);
    // popup false only sets the captions.
    void lvMouseUp(QTableView *list, int row, const QPoint &globalPos, bool popup = true);
    void lblNetDeviceClick();
    void cbAdapterChange(int index);

    const Transmission &transmission() const { return m_transmission; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildConnectionPage();
    QTableView *makeList(StatsPage page, const QList<int> &widths);
    // What the "#" column of a counter page needs for two digits.
    static int numberColumnWidth(const QTableView &list);
    void fillCounterPage(StatsPage page);
    void fillConnectionPage();
    void hostChanged();
    void remotePageRead(const CounterPages::Result &result);
    void reportError(const QString &message);
    void fillAdapterChoices();
    void showNetDevice();

    bool m_hasRAS = true;
    Sources m_sources;
    StatsCounterSet m_counters;
    std::array<StatsListModel *, StatsPageCount> m_models{};
    std::array<QTableView *, StatsPageCount> m_lists{};
    Transmission m_transmission;
    std::function<void(const QString &)> m_errorReporter;
    QString m_hostStatus; // lblHost's text but for a read under way
};

} // namespace wv
