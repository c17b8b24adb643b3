#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace wv {

class ComboHistory;
class DnsCache;
class QuickDnsLookup;
class RegistryStore;

// "QuickDNS": a host name to its address or an address to its host name.
class TfrmQuickDNS : public QWidget
{
    Q_OBJECT
public:
    static inline const QString HistoryKey = QStringLiteral("WVN_formstuff\\QuickDNS");

    // cache may be null; dnsTimeoutWait is the main window's DNS time-out.
    TfrmQuickDNS(RegistryStore &registry, const DnsCache *cache, int dnsTimeoutWait,
                 QWidget *parent = nullptr);
    ~TfrmQuickDNS() override;

    QuickDnsLookup &lookup() { return *m_lookup; }

    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QToolButton *tb3 = nullptr;
    QCheckBox *chkCache = nullptr;
    QCheckBox *chkTimeouts = nullptr;
    QComboBox *edit1 = nullptr;
    QLineEdit *eh = nullptr;
    QLineEdit *ei = nullptr;

    void tb1Click();
    void tb2Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void edit1Change();
    void endLookup();

    QuickDnsLookup *m_lookup;
    ComboHistory *m_history;
};

} // namespace wv
