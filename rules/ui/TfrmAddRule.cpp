#include "rules/ui/TfrmAddRule.h"

#include "rules/Rule.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace wv {

const QString TfrmAddRule::ExecutablesFilter = QStringLiteral("Executables (*)");

namespace {

// Memo boxes hold their lines with CR LF between them, as the rules file
// has always kept them.
QString memoText(const QPlainTextEdit *e)
{
    QString t = e->toPlainText();
    return t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void setMemoText(QPlainTextEdit *e, QString text)
{
    e->setPlainText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

// "WAV files (*.wav)|*.wav|All files (*.*)|*.*" as the file dialog takes it.
QStringList dialogFilters(const QString &pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1String("*.*"), QLatin1String("*"));
        patterns.replace(QLatin1String(", "), QLatin1String(" "));
        QString name = parts.at(i);
        name.truncate(name.indexOf(QLatin1String(" (")) < 0 ? name.size()
                                                            : name.indexOf(QLatin1String(" (")));
        out.append(QStringLiteral("%1 (%2)").arg(name, patterns));
    }
    return out;
}

QHBoxLayout *fileRow(QLineEdit *&edit, QToolButton *&button, QWidget *parent)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(20, 0, 0, 0);
    edit = new QLineEdit(parent);
    button = new QToolButton(parent);
    button->setText(QStringLiteral("..."));
    row->addWidget(edit);
    row->addWidget(button);
    return row;
}

} // namespace

TfrmAddRule::TfrmAddRule(QWidget *parent, const RuleEditorCaptions &captions)
    : QDialog(parent), m_captions(captions)
{
    const RuleEditorCaptions &c = m_captions;
    setObjectName(QStringLiteral("frmAddRule"));
    setWindowTitle(c.windowTitle);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);

    grpWhen = new QGroupBox(c.whenGroup, this);
    rbAnyone = new QRadioButton(c.anyone, grpWhen);
    rbSomeone = new QRadioButton(c.someone, grpWhen);
    edAddress = new QLineEdit(grpWhen);
    auto *when = new QVBoxLayout(grpWhen);
    when->addWidget(rbAnyone);
    when->addWidget(rbSomeone);
    auto *addressRow = new QHBoxLayout;
    addressRow->setContentsMargins(20, 0, 0, 0);
    addressRow->addWidget(edAddress);
    when->addLayout(addressRow);

    grpOn = new QGroupBox(c.onGroup, this);
    rbAnyPort = new QRadioButton(c.anyPort, grpOn);
    rbSpecificPort = new QRadioButton(c.specificPort, grpOn);
    edPort = new QLineEdit(c.defaultPort, grpOn);
    edPort->setObjectName(QStringLiteral("edPort"));
    edPort->setMaximumWidth(80);
    // Digits and backspace only; every other key is dropped.
    edPort->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edPort));
    auto *on = new QGridLayout(grpOn);
    on->addWidget(rbAnyPort, 0, 0, 1, 2);
    on->addWidget(rbSpecificPort, 1, 0);
    on->addWidget(edPort, 1, 1);
    on->setColumnStretch(2, 1);

    grpDoes = new QGroupBox(c.doesGroup, this);
    rbAnyConnection = new QRadioButton(c.anyConnection, grpDoes);
    rbSynEvent = new QRadioButton(c.synEvent, grpDoes);
    rbOverTwo = new QRadioButton(c.overTwo, grpDoes);
    auto *does = new QVBoxLayout(grpDoes);
    does->addWidget(rbAnyConnection);
    does->addWidget(rbSynEvent);
    does->addWidget(rbOverTwo);

    grpThen = new QGroupBox(c.thenGroup, this);
    pcThen = new QTabWidget(grpThen);
    pcThen->addTab(buildActionsPage(), c.actionsPage);
    pcThen->addTab(buildNotificationsPage(), c.notificationsPage);
    auto *then = new QVBoxLayout(grpThen);
    then->addWidget(pcThen);

    btnOK = new QPushButton(c.ok, this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(c.cancel, this);
    btnHelp = new QPushButton(c.help, this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto *left = new QVBoxLayout;
    left->addWidget(grpWhen);
    left->addWidget(grpOn);
    left->addWidget(grpDoes);
    left->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(grpThen, 1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(columns);
    main->addLayout(buttons);

    rbAnyone->setChecked(true);
    rbAnyPort->setChecked(true);
    rbAnyConnection->setChecked(true);
    chkMark->setChecked(true);
    chkMark->setEnabled(false);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // "&Help" has no action.
    connect(rbAnyone, &QRadioButton::clicked, this, &TfrmAddRule::rbWhoClick);
    connect(rbSomeone, &QRadioButton::clicked, this, &TfrmAddRule::rbWhoClick);
    connect(rbAnyPort, &QRadioButton::clicked, this, &TfrmAddRule::rbPortClick);
    connect(rbSpecificPort, &QRadioButton::clicked, this, &TfrmAddRule::rbPortClick);
    connect(chkAlert, &QCheckBox::clicked, this, &TfrmAddRule::chkAlertClick);
    connect(chkEmail, &QCheckBox::clicked, this, &TfrmAddRule::chkEmailClick);
    connect(chkDisconnect, &QCheckBox::clicked, this, &TfrmAddRule::chkDisconnectClick);
    connect(chkPlayWav, &QCheckBox::clicked, this, &TfrmAddRule::chkPlayWavClick);
    connect(chkLaunch, &QCheckBox::clicked, this, &TfrmAddRule::chkLaunchClick);
    connect(btnWavFile, &QToolButton::clicked, this, [this] {
        browse(edWavFile, m_captions.wavDialogTitle, dialogFilters(m_captions.wavFilter), false);
    });
    connect(btnLaunchFile, &QToolButton::clicked, this, [this] {
        browse(edLaunchFile, m_captions.launchDialogTitle,
               {ExecutablesFilter, QStringLiteral("All files (*)")}, true);
    });
    updateLinks();
}

QWidget *TfrmAddRule::buildActionsPage()
{
    const RuleEditorCaptions &c = m_captions;
    auto *page = new QWidget;
    chkDisconnect = new QCheckBox(c.disconnect, page);
    chkImmediate = new QCheckBox(c.immediate, page);
    chkLookup = new QCheckBox(c.lookup, page);
    chkLog = new QCheckBox(c.log, page);
    chkMark = new QCheckBox(c.mark, page);
    chkPlayWav = new QCheckBox(c.playWav, page);
    chkLaunch = new QCheckBox(c.launch, page);
    auto *l = new QVBoxLayout(page);
    l->addWidget(chkDisconnect);
    auto *indent = new QHBoxLayout;
    indent->setContentsMargins(20, 0, 0, 0);
    indent->addWidget(chkImmediate);
    l->addLayout(indent);
    l->addWidget(chkLookup);
    l->addWidget(chkLog);
    l->addWidget(chkMark);
    l->addWidget(chkPlayWav);
    l->addLayout(fileRow(edWavFile, btnWavFile, page));
    l->addWidget(chkLaunch);
    l->addLayout(fileRow(edLaunchFile, btnLaunchFile, page));
    l->addStretch(1);
    return page;
}

QWidget *TfrmAddRule::buildNotificationsPage()
{
    const RuleEditorCaptions &c = m_captions;
    auto *page = new QWidget;
    chkAlert = new QCheckBox(c.alert, page);
    edMessage = new QPlainTextEdit(page);
    edMessage->setMaximumHeight(60);
    chkPassiveAlert = new QCheckBox(c.passiveAlert, page);
    chkEmail = new QCheckBox(c.email, page);
    lblEmailTo = new QLabel(c.emailLabel, page);
    edEmailTo = new QPlainTextEdit(page);
    edEmailTo->setMaximumHeight(60);
    auto *l = new QVBoxLayout(page);
    l->addWidget(chkAlert);
    auto *message = new QVBoxLayout;
    message->setContentsMargins(20, 0, 0, 0);
    message->addWidget(edMessage);
    message->addWidget(chkPassiveAlert);
    l->addLayout(message);
    l->addWidget(chkEmail);
    auto *email = new QVBoxLayout;
    email->setContentsMargins(20, 0, 0, 0);
    email->addWidget(lblEmailTo);
    email->addWidget(edEmailTo);
    l->addLayout(email);
    notificationsExtra = new QVBoxLayout;
    l->addLayout(notificationsExtra);
    l->addStretch(1);
    return page;
}

void TfrmAddRule::follow(QWidget *target, bool on, bool byUser)
{
    target->setEnabled(on);
    if (on && byUser && isVisible())
        target->setFocus();
}

void TfrmAddRule::rbWhoClick()
{
    follow(edAddress, rbSomeone->isChecked(), true);
}

void TfrmAddRule::rbPortClick()
{
    follow(edPort, rbSpecificPort->isChecked(), true);
}

void TfrmAddRule::chkAlertClick()
{
    follow(edMessage, chkAlert->isChecked(), true);
    chkPassiveAlert->setEnabled(chkAlert->isChecked());
}

void TfrmAddRule::chkEmailClick()
{
    lblEmailTo->setEnabled(chkEmail->isChecked());
    follow(edEmailTo, chkEmail->isChecked(), true);
}

void TfrmAddRule::chkDisconnectClick()
{
    chkImmediate->setEnabled(chkDisconnect->isChecked());
}

void TfrmAddRule::chkPlayWavClick()
{
    follow(edWavFile, chkPlayWav->isChecked(), true);
    btnWavFile->setEnabled(chkPlayWav->isChecked());
}

void TfrmAddRule::chkLaunchClick()
{
    follow(edLaunchFile, chkLaunch->isChecked(), true);
    btnLaunchFile->setEnabled(chkLaunch->isChecked());
}

void TfrmAddRule::updateLinks()
{
    edAddress->setEnabled(rbSomeone->isChecked());
    edPort->setEnabled(rbSpecificPort->isChecked());
    edMessage->setEnabled(chkAlert->isChecked());
    chkPassiveAlert->setEnabled(chkAlert->isChecked());
    lblEmailTo->setEnabled(chkEmail->isChecked());
    edEmailTo->setEnabled(chkEmail->isChecked());
    chkImmediate->setEnabled(chkDisconnect->isChecked());
    edWavFile->setEnabled(chkPlayWav->isChecked());
    btnWavFile->setEnabled(chkPlayWav->isChecked());
    edLaunchFile->setEnabled(chkLaunch->isChecked());
    btnLaunchFile->setEnabled(chkLaunch->isChecked());
}

void TfrmAddRule::SaveToEditor(const TRule &rule)
{
    (rule.WhoKind == 0 ? rbAnyone : rbSomeone)->setChecked(true);
    (rule.PortKind == 0 ? rbAnyPort : rbSpecificPort)->setChecked(true);
    QRadioButton *events[] = {rbAnyConnection, rbSynEvent, rbOverTwo};
    events[rule.EventKind <= 2 ? rule.EventKind : 0]->setChecked(true);
    const std::pair<QCheckBox *, TRuleAction> boxes[] = {
        {chkDisconnect, raDisconnect},
        {chkPassiveAlert, raPassiveAlert},
        {chkAlert, raAlert},
        {chkLaunch, raLaunch},
        {chkImmediate, raImmediate},
        {chkLog, raLog},
        {chkMark, raMark},
        {chkPlayWav, raPlayWav},
        {chkEmail, raEmail},
        {chkLookup, raLookup},
    };
    for (const auto &[box, action] : boxes)
        box->setChecked(rule.Actions.contains(action));
    edAddress->setText(rule.Address);
    edPort->setText(rule.Port);
    setMemoText(edMessage, rule.Message);
    edLaunchFile->setText(rule.LaunchFile);
    edWavFile->setText(rule.WavFile);
    setMemoText(edEmailTo, rule.EmailTo);
    updateLinks();
}

void TfrmAddRule::LoadFromEditor(TRule &rule) const
{
    rule.WhoKind = rbAnyone->isChecked() ? 0 : 1;
    rule.EventKind = rbAnyConnection->isChecked() ? 0 : rbSynEvent->isChecked() ? 1 : 2;
    rule.PortKind = rbAnyPort->isChecked() ? 0 : 1;
    TRuleActions a;
    a.set(raDisconnect, chkDisconnect->isChecked());
    a.set(raPassiveAlert, chkPassiveAlert->isChecked());
    a.set(raAlert, chkAlert->isChecked());
    a.set(raLaunch, chkLaunch->isChecked());
    a.set(raImmediate, chkImmediate->isChecked());
    a.set(raLog, chkLog->isChecked());
    a.set(raMark, chkMark->isChecked());
    a.set(raPlayWav, chkPlayWav->isChecked());
    a.set(raEmail, chkEmail->isChecked());
    a.set(raLookup, chkLookup->isChecked());
    rule.Actions = a;
    rule.Address = edAddress->text();
    rule.Port = edPort->text();
    rule.Message = memoText(edMessage);
    rule.LaunchFile = edLaunchFile->text();
    rule.WavFile = edWavFile->text();
    rule.EmailTo = memoText(edEmailTo);
}

void TfrmAddRule::browse(QLineEdit *target, const QString &title, const QStringList &filters,
                         bool executables)
{
    QFileDialog dialog(this, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (!target->text().isEmpty())
        dialog.selectFile(target->text());
    if (executables) {
        // Only a dialog of Qt's own can filter by the executable bit.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto apply = [&dialog](const QString &filter) {
            QDir::Filters f = QDir::AllDirs | QDir::Files | QDir::NoDot;
            if (filter == ExecutablesFilter)
                f |= QDir::Executable;
            dialog.setFilter(f);
        };
        connect(&dialog, &QFileDialog::filterSelected, &dialog, apply);
        apply(filters.value(0));
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        target->setText(dialog.selectedFiles().first());
}

} // namespace wv
