#include "settings/ui/TOptionsDnsPage.h"

#include "settings/ui/TOptionsGeneralPage.h"
#include "settings/ui/TfrmArrangeDns.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace wv {

TDnsServerField::TDnsServerField(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFrameShape(QFrame::StyledPanel);
    setMinimumWidth(130);
    setForegroundRole(QPalette::ButtonText);
}

void TDnsServerField::setHot(bool hot)
{
    m_hot = hot;
    QPalette p = palette();
    p.setColor(QPalette::ButtonText,
               hot ? QColor(Qt::blue) : QApplication::palette().color(QPalette::ButtonText));
    setPalette(p);
}

void TDnsServerField::enterEvent(QEnterEvent *event)
{
    setHot(true);
    QLabel::enterEvent(event);
}

void TDnsServerField::leaveEvent(QEvent *event)
{
    setHot(false);
    QLabel::leaveEvent(event);
}

void TDnsServerField::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

TOptionsDnsPage::TOptionsDnsPage(QWidget *parent) : TOptionsPage(parent)
{
    askServer = [this](const QString &value, QString *answer) {
        bool ok = false;
        *answer = QInputDialog::getText(this, QStringLiteral("DNS Server"),
                                        QStringLiteral("Enter the DNS server you wish to use."),
                                        QLineEdit::Normal, value, &ok);
        return ok;
    };

    auto *servers = new QGroupBox(QStringLiteral("DNS servers"), this);
    auto *grid = new QGridLayout(servers);
    const char *const captions[4] = {
        "Primary DNS server:", "Secondary DNS server:", "Third DNS server:", "Fourth DNS server:"};
    for (int i = 0; i < 4; ++i) {
        lblServers[size_t(i)] = new TDnsServerField(servers);
        lblServers[size_t(i)]->setObjectName(QStringLiteral("lblDns%1").arg(i + 1));
        grid->addWidget(new QLabel(QString::fromLatin1(captions[i]), servers), i, 0);
        grid->addWidget(lblServers[size_t(i)], i, 1);
        connect(lblServers[size_t(i)], &TDnsServerField::clicked, this,
                [this, i] { serverClick(i); });
    }
    btnArrange = new QPushButton(QStringLiteral("&Arrange..."), servers);
    btnArrange->setToolTip(QStringLiteral("Arrange DNS Servers"));
    grid->addWidget(btnArrange, 0, 2, 4, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);

    chkAutoResolve = new QCheckBox(QStringLiteral("Automatically &lookup hostnames"), this);
    chkDnsTimeout = new QCheckBox(QStringLiteral("DNS &Timeouts"), this);
    seDnsTimeoutWait = settingSpinBox("dnsTimeoutWait", this);
    chkCacheDNS = new QCheckBox(QStringLiteral("&Cache DNS"), this);
    chkExpires = new QCheckBox(QStringLiteral("Expire the cache every"), this);
    seExpireDelay = settingSpinBox("ExpireDelay", this);
    chkWarnExpire = new QCheckBox(QStringLiteral("&Warn before expiring"), this);
    btnExpireNow = new QPushButton(QStringLiteral("Expire &Now"), this);
    btnEditCache = new QPushButton(QStringLiteral("E&dit Cache"), this);

    auto *timeout = new QHBoxLayout;
    timeout->addWidget(chkDnsTimeout);
    timeout->addSpacing(12);
    timeout->addWidget(new QLabel(QStringLiteral("Timeout (in milliseconds)"), this));
    timeout->addWidget(seDnsTimeoutWait);
    timeout->addStretch(1);
    auto *expiry = new QHBoxLayout;
    expiry->setContentsMargins(20, 0, 0, 0);
    expiry->addWidget(chkExpires);
    expiry->addWidget(seExpireDelay);
    expiry->addWidget(new QLabel(QStringLiteral("minutes"), this));
    expiry->addStretch(1);
    auto *warn = new QHBoxLayout;
    warn->setContentsMargins(20, 0, 0, 0);
    warn->addWidget(chkWarnExpire);
    auto *cacheButtons = new QHBoxLayout;
    cacheButtons->addWidget(btnExpireNow);
    cacheButtons->addWidget(btnEditCache);
    cacheButtons->addStretch(1);

    auto *l = new QVBoxLayout(this);
    l->addWidget(servers);
    l->addWidget(chkAutoResolve);
    l->addLayout(timeout);
    l->addWidget(chkCacheDNS);
    l->addLayout(expiry);
    l->addLayout(warn);
    l->addLayout(cacheButtons);
    l->addStretch(1);

    connect(btnArrange, &QPushButton::clicked, this, &TOptionsDnsPage::btnArrangeClick);
    connect(chkCacheDNS, &QCheckBox::clicked, this, &TOptionsDnsPage::chkCacheDNSClick);
    connect(chkExpires, &QCheckBox::clicked, this, &TOptionsDnsPage::chkExpiresClick);
}

void TOptionsDnsPage::updateLinks()
{
    const bool cache = chkCacheDNS->isChecked();
    chkExpires->setEnabled(cache);
    chkWarnExpire->setEnabled(cache);
    seExpireDelay->setEnabled(chkExpires->isChecked() && chkExpires->isEnabled());
}

void TOptionsDnsPage::chkCacheDNSClick()
{
    updateLinks();
}

void TOptionsDnsPage::chkExpiresClick()
{
    updateLinks();
    if (seExpireDelay->isEnabled())
        seExpireDelay->setFocus();
}

void TOptionsDnsPage::UpdateOptionsForm(const Settings &s)
{
    chkAutoResolve->setChecked(s.autoResolve);
    chkDnsTimeout->setChecked(s.dnsTimeout);
    seDnsTimeoutWait->setValue(s.dnsTimeoutWait);
    chkCacheDNS->setChecked(s.cacheDNS);
    chkExpires->setChecked(s.Expires);
    seExpireDelay->setValue(s.ExpireDelay);
    chkWarnExpire->setChecked(s.WarnExpire);
    updateLinks();
}

void TOptionsDnsPage::copyToSettings(Settings &s) const
{
    s.autoResolve = chkAutoResolve->isChecked();
    s.dnsTimeout = chkDnsTimeout->isChecked();
    s.dnsTimeoutWait = seDnsTimeoutWait->value();
    s.cacheDNS = chkCacheDNS->isChecked();
    s.Expires = chkExpires->isChecked();
    s.ExpireDelay = seExpireDelay->value();
    s.WarnExpire = chkWarnExpire->isChecked();
}

void TOptionsDnsPage::LoadDNSServers(DnsServerList &list)
{
    m_loaded = list.LoadDNSServers();
    setFields(m_loaded);
}

DnsServerFields TOptionsDnsPage::fields() const
{
    DnsServerFields f;
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = lblServers[i]->text();
    return f;
}

void TOptionsDnsPage::setFields(const DnsServerFields &fields)
{
    for (size_t i = 0; i < fields.size(); ++i)
        lblServers[i]->setText(fields[i]);
}

void TOptionsDnsPage::serverClick(int field)
{
    QString answer;
    if (!askServer(lblServers[size_t(field)]->text(), &answer))
        return;
    answer = answer.trimmed();
    if (!DnsServerList::acceptServerText(answer)) {
        QMessageBox::critical(this, QStringLiteral("Error"), DnsServerList::RejectMessage);
        return;
    }
    lblServers[size_t(field)]->setText(answer);
}

void TOptionsDnsPage::btnArrangeClick()
{
    TfrmArrangeDns arrange(fields(), this);
    if (arrange.exec() == QDialog::Accepted)
        setFields(arrange.fields());
}

} // namespace wv
