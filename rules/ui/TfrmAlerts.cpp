#include "rules/ui/TfrmAlerts.h"

#include "rules/Rule.h"
#include "rules/RuleEngine.h"
#include "rules/RuleLog.h"
#include "settings/DebugTrace.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace wv {

TfrmRuleAlert::TfrmRuleAlert(TRule &rule, int row, const QString &displayName,
                             const AlertActions &actions, QWidget *parent)
    : QDialog(parent), m_rule(rule), m_row(row), m_actions(actions)
{
    DebugLog(QStringLiteral("ShowRuleAlert;"));
    setObjectName(QStringLiteral("frmRuleAlert"));
    setWindowTitle(QStringLiteral("Wirevane Alert"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);

    lblDescription = new QLabel(RuleEngine::MatchText(displayName, rule.Number, rule), this);
    lblDescription->setWordWrap(true);
    lblDescription->setTextFormat(Qt::PlainText);
    auto *ruleLabel = new QLabel(QStringLiteral("Rule #") + QString::number(rule.Number), this);
    auto *rowLabel = new QLabel(QStringLiteral("Connection #") + QString::number(row), this);
    lstActions = new QListWidget(this);
    lstActions->addItems(rule.ActionsText().split(QStringLiteral(", ")));
    cbDontShow = new QCheckBox(QStringLiteral("Don't &show again this session"), this);
    cbDisable = new QCheckBox(QStringLiteral("&Disable this rule completely"), this);
    auto *btnOK = new QPushButton(QStringLiteral("&OK"), this);
    auto *btnActions = new QPushButton(QStringLiteral("&Actions"), this);
    btnMore = new QPushButton(QStringLiteral("&More info >>"), this);
    btnOK->setDefault(true);

    auto *left = new QVBoxLayout;
    left->addWidget(lblDescription);
    left->addWidget(new QLabel(QStringLiteral("Rule met:"), this));
    left->addWidget(ruleLabel);
    left->addWidget(new QLabel(QStringLiteral("Connection number:"), this));
    left->addWidget(rowLabel);
    left->addWidget(cbDontShow);
    left->addWidget(cbDisable);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnActions);
    buttons->addWidget(btnMore);
    left->addLayout(buttons);
    auto *right = new QVBoxLayout;
    m_actionsCaption = new QLabel(QStringLiteral("Actions being taken:"), this);
    right->addWidget(m_actionsCaption);
    right->addWidget(lstActions);
    auto *top = new QHBoxLayout(this);
    // The window keeps its two fixed widths whatever the font.
    top->setSizeConstraint(QLayout::SetNoConstraint);
    top->addLayout(left);
    top->addLayout(right);
    m_actionsCaption->hide();
    lstActions->hide();
    resize(NarrowWidth, sizeHint().height());

    mnuActions = new QMenu(this);
    QAction *lookup = mnuActions->addAction(QStringLiteral("Start Advanced &Lookup"));
    QAction *hangUp = mnuActions->addAction(QStringLiteral("&Disconnect from Internet"));
    QAction *email = mnuActions->addAction(QStringLiteral("Start an &Email"));
    QAction *run = mnuActions->addAction(QStringLiteral("&Run Program"));
    connect(lookup, &QAction::triggered, this, [this] {
        if (m_actions.lookup)
            m_actions.lookup(m_row);
    });
    connect(hangUp, &QAction::triggered, this, [this] {
        if (m_actions.disconnect)
            m_actions.disconnect();
    });
    connect(email, &QAction::triggered, this, [this] {
        const QString to = QInputDialog::getText(
            this, QStringLiteral("Email"), QStringLiteral("Enter an email address to write to:"));
        if (!to.trimmed().isEmpty())
            QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + to.trimmed()));
    });
    connect(run, &QAction::triggered, this, [this] {
        if (m_actions.runProgram)
            m_actions.runProgram(this);
    });
    lookup->setEnabled(static_cast<bool>(m_actions.lookup));
    hangUp->setEnabled(static_cast<bool>(m_actions.disconnect));
    run->setEnabled(static_cast<bool>(m_actions.runProgram));

    connect(btnOK, &QPushButton::clicked, this, &TfrmRuleAlert::btnOKClick);
    connect(btnMore, &QPushButton::clicked, this, &TfrmRuleAlert::btnMoreClick);
    connect(btnActions, &QPushButton::clicked, this, &TfrmRuleAlert::btnActionsClick);
}

void TfrmRuleAlert::flash()
{
    ++m_flashes;
    QApplication::alert(this);
}

bool TfrmRuleAlert::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        flash();
    return QDialog::event(event);
}

void TfrmRuleAlert::btnOKClick()
{
    if (cbDontShow->isChecked())
        m_rule.IgnoredThisSession = 1;
    if (cbDisable->isChecked() && m_rule.Enabled != 0) {
        m_rule.Enabled = 0;
        m_disabled = true;
    }
    accept();
}

void TfrmRuleAlert::btnMoreClick()
{
    m_wide = !m_wide;
    m_actionsCaption->setVisible(m_wide);
    lstActions->setVisible(m_wide);
    btnMore->setText(m_wide ? QStringLiteral("<< Less info") : QStringLiteral("More info >>"));
    resize(m_wide ? WideWidth : NarrowWidth, height());
}

void TfrmRuleAlert::btnActionsClick()
{
    mnuActions->popup(QCursor::pos() - QPoint(8, 8));
}

TfrmMsgAlert::TfrmMsgAlert(const QString &message, int rule, int row,
                           std::function<void(int, int)> viewRule, QWidget *parent)
    : QDialog(parent), m_rule(rule), m_row(row), m_viewRule(std::move(viewRule))
{
    setObjectName(QStringLiteral("frmMsgAlert"));
    setWindowTitle(QStringLiteral("Message Alert"));
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *title = new QLabel(QStringLiteral("Alert!"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    lblMessage = new QLabel(message, this);
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblConnection = new QLabel(QStringLiteral("Connection #") + QString::number(row), this);
    auto *when = new QLabel(RuleLog::stamp(QDateTime::currentDateTime()), this);
    auto *btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnView = new QPushButton(QStringLiteral("&View rule's alert"), this);
    btnOK->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(new QLabel(QStringLiteral("Message:"), this));
    layout->addWidget(lblMessage);
    layout->addWidget(lblConnection);
    layout->addWidget(when);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOK);
    buttons->addWidget(btnView);
    layout->addLayout(buttons);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::close);
    connect(btnView, &QPushButton::clicked, this, &TfrmMsgAlert::btnViewClick);
}

void TfrmMsgAlert::flash()
{
    ++m_flashes;
    QApplication::alert(this);
}

bool TfrmMsgAlert::event(QEvent *event)
{
    // A click on the window (its labels pass clicks on to it) flashes it.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::MouseButtonPress)
        flash();
    return QDialog::event(event);
}

void TfrmMsgAlert::btnViewClick()
{
    hide();
    if (m_viewRule)
        m_viewRule(m_rule, m_row);
    close();
}

TfrmDisconnect::TfrmDisconnect(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDisconnect"));
    setWindowTitle(QStringLiteral("Wirevane: Disconnect"));
    auto *heading = new QLabel(QStringLiteral("Disconnect from Internet?"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    auto *text = new QLabel(
        QStringLiteral("The criteria for a rule you created has been met, and you specified that "
                       "Wirevane should disconnect your modem when the conditions happen.\n\n"
                       "Disconnect now?"),
        this);
    text->setWordWrap(true);
    btnYes = new QPushButton(QStringLiteral("&Yes"), this);
    auto *btnNo = new QPushButton(QStringLiteral("&No"), this);
    btnYes->setDefault(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(text);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnYes);
    buttons->addWidget(btnNo);
    layout->addLayout(buttons);
    connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmMsgAlert *ShowMsgAlert(const QString &message, int rule, int row,
                           std::function<void(int, int)> viewRule)
{
    auto *w = new TfrmMsgAlert(message, rule, row, std::move(viewRule));
    w->show();
    w->flash();
    return w;
}

} // namespace wv
