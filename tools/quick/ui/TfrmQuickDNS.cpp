#include "tools/quick/ui/TfrmQuickDNS.h"

#include "tools/quick/ComboHistory.h"
#include "tools/quick/QuickDnsLookup.h"
#include "tools/quick/ui/ToolWindowParts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

TfrmQuickDNS::TfrmQuickDNS(RegistryStore &registry, const DnsCache *cache, int dnsTimeoutWait,
                           QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_lookup(new QuickDnsLookup(cache, this)),
      m_history(new ComboHistory(registry, HistoryKey))
{
    setObjectName(QStringLiteral("frmQuickDNS"));
    setWindowTitle(QStringLiteral("QuickDNS"));
    setAttribute(Qt::WA_DeleteOnClose);
    toolparts::closeOnEscape(this);
    m_lookup->setTimeoutInterval(dnsTimeoutWait);

    auto *bar = toolparts::hoverToolBar(this);
    tb1 = toolparts::toolButton(bar, "tb1", QStringLiteral("&Lookup"),
                                QStringLiteral("Lookup the address"));
    tb2 = toolparts::toolButton(bar, "tb2", QStringLiteral("&Abort"),
                                QStringLiteral("Abort the lookup"));
    tb3 = toolparts::toolButton(bar, "tb3", QStringLiteral("&Close"),
                                QStringLiteral("Close this window"));
    tb2->setEnabled(false);

    chkCache = new QCheckBox(QStringLiteral("Use C&ache"), this);
    chkCache->setObjectName(QStringLiteral("chkCache"));
    chkCache->setToolTip(QStringLiteral("Get lookup from cache if available"));
    chkTimeouts = new QCheckBox(QStringLiteral("DNS &Timeouts"), this);
    chkTimeouts->setObjectName(QStringLiteral("chkTimeouts"));
    chkTimeouts->setToolTip(QStringLiteral("Timeout on DNS lookups"));

    edit1 = toolparts::historyCombo(this, "edit1", m_history->load());
    edit1->setMinimumWidth(220);
    eh = new QLineEdit(this);
    eh->setObjectName(QStringLiteral("eh"));
    eh->setReadOnly(true);
    ei = new QLineEdit(this);
    ei->setObjectName(QStringLiteral("ei"));
    ei->setReadOnly(true);
    new SelectAllOnClick(eh);
    new SelectAllOnClick(ei);

    auto *grid = new QGridLayout;
    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("A&ddress"), edit1), 0, 0);
    grid->addWidget(edit1, 0, 1);
    grid->addWidget(label(QStringLiteral("&Hostname"), eh), 1, 0);
    grid->addWidget(eh, 1, 1);
    grid->addWidget(label(QStringLiteral("&IP"), ei), 2, 0);
    grid->addWidget(ei, 2, 1);
    auto *checks = new QHBoxLayout;
    checks->addWidget(chkCache);
    checks->addWidget(chkTimeouts);
    checks->addStretch();
    grid->addLayout(checks, 3, 1);

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 6);
    top->addWidget(bar);
    top->addLayout(grid);
    // A fixed dialog border: the window keeps the size its contents need.
    top->setSizeConstraint(QLayout::SetFixedSize);

    connect(tb1, &QToolButton::clicked, this, &TfrmQuickDNS::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmQuickDNS::tb2Click);
    connect(tb3, &QToolButton::clicked, this, &QWidget::close);
    connect(edit1, &QComboBox::editTextChanged, this, &TfrmQuickDNS::edit1Change);
    new EnterFilter(edit1, [this] {
        if (tb1->isEnabled())
            tb1Click();
    });
    edit1Change();
}

TfrmQuickDNS::~TfrmQuickDNS()
{
    delete m_history;
}

void TfrmQuickDNS::edit1Change()
{
    tb1->setEnabled(!edit1->currentText().isEmpty() && !m_lookup->isBusy());
}

void TfrmQuickDNS::tb1Click()
{
    const QString text = edit1->currentText().trimmed();
    if (text.isEmpty() || m_lookup->isBusy())
        return;
    tb1->setEnabled(false);
    edit1->setEnabled(false);
    chkCache->setEnabled(false);
    chkTimeouts->setEnabled(false);
    tb2->setEnabled(true);
    ei->clear();
    eh->clear();
    const QStringList items = m_history->add(text);
    const QSignalBlocker block(edit1);
    edit1->clear();
    edit1->addItems(items);
    edit1->setEditText(text);

    const QuickDnsLookup::Result r =
        m_lookup->lookup(text, chkCache->isChecked(), chkTimeouts->isChecked());
    ei->setText(r.ip);
    eh->setText(r.host);
    endLookup();
}

void TfrmQuickDNS::tb2Click()
{
    m_lookup->abort();
    endLookup();
}

void TfrmQuickDNS::endLookup()
{
    edit1->setEnabled(true);
    chkCache->setEnabled(true);
    chkTimeouts->setEnabled(true);
    tb2->setEnabled(false);
    edit1Change();
    tb1->setEnabled(!edit1->currentText().isEmpty());
    edit1->setFocus();
}

void TfrmQuickDNS::closeEvent(QCloseEvent *event)
{
    // A lookup waiting inside tb1Click ends first; the window itself goes
    // once that handler has returned to the main event loop.
    m_lookup->abort();
    QWidget::closeEvent(event);
}

} // namespace wv
