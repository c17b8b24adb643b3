#pragma once

#include "settings/DnsServerList.h"
#include "settings/ui/TOptionsPage.h"

#include <QLabel>

#include <array>
#include <functional>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace wv {

// One of the four DNS server fields: a caption the user clicks to change.
// The field under the mouse is drawn in blue.
class TDnsServerField : public QLabel
{
    Q_OBJECT
public:
    explicit TDnsServerField(QWidget *parent = nullptr);
    bool isHot() const { return m_hot; }

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setHot(bool hot);
    bool m_hot = false;
};

// "DNS": the system's four DNS servers and the options of look-ups and the
// DNS cache.
class TOptionsDnsPage : public TOptionsPage
{
    Q_OBJECT
public:
    explicit TOptionsDnsPage(QWidget *parent = nullptr);
    void UpdateOptionsForm(const Settings &s) override;
    void copyToSettings(Settings &s) const override;

    // The four fields from / into the resolver file.
    void LoadDNSServers(DnsServerList &list);
    DnsServerFields fields() const;
    void setFields(const DnsServerFields &fields);
    // Whether the user changed the servers since they were loaded.
    bool serversChanged() const { return fields() != m_loaded; }

    // Asks for a server text (an input box); false when cancelled. Tests
    // replace it.
    std::function<bool(const QString &value, QString *answer)> askServer;

    std::array<TDnsServerField *, 4> lblServers{};
    QPushButton *btnArrange = nullptr;
    QCheckBox *chkAutoResolve = nullptr;
    QCheckBox *chkDnsTimeout = nullptr;
    QSpinBox *seDnsTimeoutWait = nullptr;
    QCheckBox *chkCacheDNS = nullptr;
    QCheckBox *chkExpires = nullptr;
    QSpinBox *seExpireDelay = nullptr;
    QCheckBox *chkWarnExpire = nullptr;
    QPushButton *btnExpireNow = nullptr;
    QPushButton *btnEditCache = nullptr;

    void serverClick(int field);
    void btnArrangeClick();
    void chkCacheDNSClick();
    void chkExpiresClick();

private:
    void updateLinks();

    DnsServerFields m_loaded;
};

} // namespace wv
