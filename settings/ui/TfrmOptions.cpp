#include "settings/ui/TfrmOptions.h"

#include "monitor/ui/RecognizedNamesList.h"
#include "rules/RuleListModel.h"
#include "rules/RuleWorkingList.h"
#include "rules/ui/TRulesPage.h"
#include "settings/DebugTrace.h"
#include "settings/SettingsStore.h"
#include "settings/programs/ui/TProgramsPage.h"
#include "settings/ui/TGradientBanner.h"
#include "settings/ui/TOptionsDnsPage.h"
#include "settings/ui/TOptionsExtrasPage.h"
#include "settings/ui/TOptionsGeneralPage.h"
#include "settings/ui/TOptionsViewBarPage.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace wv {

TfrmOptions::TfrmOptions(const OptionsContext &context, QWidget *parent)
    : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    if (!m_ctx.message)
        m_ctx.message = [this](const QString &caption, const QString &text) {
            QMessageBox::critical(this, caption, text);
        };
    if (!m_ctx.confirm)
        m_ctx.confirm = [this](const QString &caption, const QString &text) {
            return QMessageBox::warning(this, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                        QMessageBox::Cancel) == QMessageBox::Ok;
        };

    banner = new TGradientBanner(this);
    banner->setText(QStringLiteral("Options - General"));
    pcOptions = new QTabWidget(this);
    pcOptions->setTabPosition(QTabWidget::South);
    pgGeneral = new TOptionsGeneralPage;
    pgDns = new TOptionsDnsPage;
    pgRules = new TRulesPage(*m_ctx.rules, m_ctx.ruleEditor);
    pgRecognized = new RecognizedNamesList(*m_ctx.names);
    pgViewBar = new TOptionsViewBarPage;
    pgPrograms = new TProgramsPage(*m_ctx.programs);
    pgExtras = new TOptionsExtrasPage;
    pcOptions->addTab(pgGeneral, QStringLiteral("General"));
    pcOptions->addTab(pgDns, QStringLiteral("DNS"));
    pcOptions->addTab(pgRules, QStringLiteral("Rules"));
    pcOptions->addTab(pgRecognized, QStringLiteral("Recognized"));
    pcOptions->addTab(pgViewBar, QStringLiteral("ViewBar"));
    pcOptions->addTab(pgPrograms, QStringLiteral("Programs"));
    pcOptions->addTab(pgExtras, QStringLiteral("Extras"));

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("C&ancel"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 8);
    l->addWidget(banner);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    body->addWidget(pcOptions, 1);
    body->addLayout(buttons);
    l->addLayout(body, 1);
    resize(590, 470);

    if (m_ctx.startViewBar)
        pgViewBar->setStartViewBar(m_ctx.startViewBar);
    pgDns->btnExpireNow->setEnabled(static_cast<bool>(m_ctx.expireNow));
    pgDns->btnEditCache->setEnabled(static_cast<bool>(m_ctx.editCache));
    connect(pgDns->btnExpireNow, &QPushButton::clicked, this, [this] { m_ctx.expireNow(); });
    connect(pgDns->btnEditCache, &QPushButton::clicked, this, [this] { m_ctx.editCache(); });
    // These two take effect at once; Cancel does not undo them.
    connect(pgDns->chkAutoResolve, &QCheckBox::clicked, this,
            [this](bool on) { m_ctx.settings->values().autoResolve = on; });
    connect(pgDns->chkCacheDNS, &QCheckBox::clicked, this,
            [this](bool on) { m_ctx.settings->values().cacheDNS = on; });
    connect(pgRules, &TRulesPage::notice, this,
            [this](const QString &text) { m_ctx.message(QStringLiteral("Notice"), text); });
    connect(pcOptions, &QTabWidget::currentChanged, this, &TfrmOptions::pcOptionsChange);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setHotTrack(m_ctx.settings->values().xHotTrack);
    if (m_ctx.decorate)
        m_ctx.decorate(this);
}

TfrmOptions::~TfrmOptions()
{
    // Closed some other way than done() (the owner went away): the working
    // copy must not outlive the dialog.
    if (!m_closed && m_ctx.rules->isOpen()) {
        pgRules->model()->setRules(nullptr);
        m_ctx.rules->close();
    }
}

void TfrmOptions::setHotTrack(bool on)
{
    for (QAbstractItemView *v :
         {static_cast<QAbstractItemView *>(pgRules->lvRules),
          static_cast<QAbstractItemView *>(pgRecognized->findChild<QAbstractItemView *>()),
          static_cast<QAbstractItemView *>(pgPrograms->list())}) {
        if (!v)
            continue;
        v->setMouseTracking(on);
        v->setAttribute(Qt::WA_Hover, on);
    }
}

void TfrmOptions::UpdateOptionsForm()
{
    DebugLog(QStringLiteral("UpdateOptionsForm;"));
    const Settings &s = m_ctx.settings->values();
    for (TOptionsPage *p :
         {static_cast<TOptionsPage *>(pgGeneral), static_cast<TOptionsPage *>(pgDns),
          static_cast<TOptionsPage *>(pgViewBar), static_cast<TOptionsPage *>(pgExtras)})
        p->UpdateOptionsForm(s);
}

void TfrmOptions::copyToSettings(Settings &s) const
{
    for (const TOptionsPage *p :
         {static_cast<const TOptionsPage *>(pgGeneral), static_cast<const TOptionsPage *>(pgDns),
          static_cast<const TOptionsPage *>(pgViewBar),
          static_cast<const TOptionsPage *>(pgExtras)})
        p->copyToSettings(s);
}

void TfrmOptions::LoadDNSServers()
{
    if (m_ctx.dnsServers)
        pgDns->LoadDNSServers(*m_ctx.dnsServers);
}

void TfrmOptions::openOnPage(Page page)
{
    const QSignalBlocker quiet(pcOptions);
    pcOptions->setCurrentIndex(page);
}

void TfrmOptions::pcOptionsChange(int index)
{
    banner->setText(QStringLiteral("Options - ") + pcOptions->tabText(index));
    if (index == RecognizedPage)
        pgRecognized->RefreshRecognized();
    else if (index == ProgramsPage)
        pgPrograms->RefreshPrograms();
}

void TfrmOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (!m_ctx.rules->open())
        m_ctx.message(QStringLiteral("Notice"), RuleWorkingList::StaleCopyNotice);
    pgRules->LoadRulesIntoList();
}

void TfrmOptions::saveDnsServers()
{
    if (!m_ctx.dnsServers || !pgDns->serversChanged())
        return;
    // Another program keeps the file: the change lasts only until it
    // rewrites it, so the user decides.
    const QString warning = m_ctx.dnsServers->managedWarning();
    if (!warning.isEmpty() && !m_ctx.confirm(QStringLiteral("Warning"), warning))
        return;
    if (!m_ctx.dnsServers->SaveDNSServers(pgDns->fields()))
        m_ctx.message(QStringLiteral("Error"), m_ctx.dnsServers->lastError());
}

void TfrmOptions::applyOk()
{
    if (m_ctx.rules->isOpen())
        m_ctx.rules->commit();
    saveDnsServers();
    copyToSettings(m_ctx.settings->values());
    m_ctx.settings->WriteRegistry();
    UpdateOptionsForm();
    m_ctx.settings->ProcessOptions();
    if (m_ctx.saveRules)
        m_ctx.saveRules();
}

void TfrmOptions::done(int result)
{
    if (m_closed)
        return;
    m_closed = true;
    if (result == QDialog::Accepted) {
        // The OK button: first every rule's enabled flag from its check box.
        pgRules->applyChecks();
        applyOk();
    } else {
        UpdateOptionsForm();
    }
    // The list lets go of the working rules before they are destroyed.
    pgRules->model()->setRules(nullptr);
    if (m_ctx.rules->isOpen())
        m_ctx.rules->close();
    QDialog::done(result);
}

} // namespace wv
