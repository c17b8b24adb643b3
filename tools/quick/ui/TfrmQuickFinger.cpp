#include "tools/quick/ui/TfrmQuickFinger.h"

#include "tools/quick/ComboHistory.h"
#include "tools/quick/FingerQuery.h"
#include "tools/quick/ui/ToolWindowParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

TfrmQuickFinger::TfrmQuickFinger(RegistryStore &registry, QWidget *parent)
    : QWidget(parent, Qt::Window), m_sock(new FingerQuery(this)),
      m_history(new ComboHistory(registry, HistoryKey))
{
    setObjectName(QStringLiteral("frmQuickFinger"));
    setWindowTitle(QStringLiteral("QuickFinger"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(250, 150);
    toolparts::closeOnEscape(this);

    auto *bar = toolparts::hoverToolBar(this);
    tb1 = toolparts::toolButton(bar, "tb1", QStringLiteral("&Query"),
                                QStringLiteral("Query the address"));
    tb2 = toolparts::toolButton(bar, "tb2", QStringLiteral("&Abort"),
                                QStringLiteral("Abort the query"));
    tb3 = toolparts::toolButton(bar, "tb3", QStringLiteral("&Close"),
                                QStringLiteral("Close this window"));
    tb2->setEnabled(false);
    chkVerbose = new QCheckBox(QStringLiteral("&Verbose"), this);
    chkVerbose->setObjectName(QStringLiteral("chkVerbose"));
    chkVerbose->setToolTip(QStringLiteral("Request extra information"));
    bar->addSeparator();
    bar->addWidget(chkVerbose);

    edit1 = toolparts::historyCombo(this, "edit1", m_history->load());
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Finger answers line their columns up with blanks and tabs.
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    stat = new QStatusBar(this);
    stat->setObjectName(QStringLiteral("stat"));
    stat->setSizeGripEnabled(true);

    auto *row = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("A&ddress"), this);
    label->setBuddy(edit1);
    row->addWidget(label);
    row->addWidget(edit1, 1);
    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(4, 0, 4, 0);
    top->setSpacing(4);
    top->addWidget(bar);
    top->addLayout(row);
    top->addWidget(Memo1, 1);
    top->addWidget(stat);
    resize(420, 300);

    connect(tb1, &QToolButton::clicked, this, &TfrmQuickFinger::tb1Click);
    connect(tb2, &QToolButton::clicked, this, &TfrmQuickFinger::tb2Click);
    connect(tb3, &QToolButton::clicked, this, &TfrmQuickFinger::tb3Click);
    connect(edit1, &QComboBox::editTextChanged, this, &TfrmQuickFinger::edit1Change);
    connect(m_sock, &FingerQuery::statusChanged, stat,
            [this](const QString &text) { stat->showMessage(text); });
    connect(m_sock, &FingerQuery::lineReceived, this, &TfrmQuickFinger::sockLineReceived);
    connect(m_sock, &FingerQuery::finished, this,
            [this](FingerQuery::Outcome o) { sockFinished(int(o)); });
    new EnterFilter(edit1, [this] {
        if (tb1->isEnabled())
            tb1Click();
    });
    edit1Change();
}

TfrmQuickFinger::~TfrmQuickFinger()
{
    delete m_history;
}

void TfrmQuickFinger::edit1Change()
{
    tb1->setEnabled(!edit1->currentText().isEmpty() && !m_sock->isRunning());
}

void TfrmQuickFinger::tb1Click()
{
    const QString address = edit1->currentText();
    if (!address.contains(QLatin1Char('@')) || m_sock->isRunning())
        return;
    Memo1->clear();
    const QStringList items = m_history->add(address);
    {
        const QSignalBlocker block(edit1);
        edit1->clear();
        edit1->addItems(items);
        edit1->setEditText(address);
    }
    tb1->setEnabled(false);
    edit1->setEnabled(false);
    chkVerbose->setEnabled(false);
    tb2->setEnabled(true);
    m_sock->start(address, chkVerbose->isChecked());
}

void TfrmQuickFinger::sockLineReceived(const QString &line, qsizetype)
{
    Memo1->appendPlainText(line);
}

void TfrmQuickFinger::sockFinished(int outcome)
{
    setIdle();
    if (FingerQuery::Outcome(outcome) == FingerQuery::Outcome::Done) {
        // Show the answer from its top, its first character selected.
        QTextCursor c(Memo1->document());
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        Memo1->setTextCursor(c);
        Memo1->ensureCursorVisible();
    }
}

void TfrmQuickFinger::setIdle()
{
    tb1->setEnabled(true);
    edit1->setEnabled(true);
    chkVerbose->setEnabled(true);
    tb2->setEnabled(false);
    edit1Change();
    edit1->setFocus();
}

void TfrmQuickFinger::tb2Click()
{
    m_sock->abort();
}

void TfrmQuickFinger::tb3Click()
{
    m_sock->abort();
    close();
}

void TfrmQuickFinger::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    edit1->setFocus();
}

void TfrmQuickFinger::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && edit1->isEnabled())
        edit1->setFocus();
}

} // namespace wv
