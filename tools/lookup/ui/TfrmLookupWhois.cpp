// The WHOIS side of the lookup window.
#include "tools/lookup/ui/TfrmLookup.h"

#include "tools/lookup/WhoisLookup.h"
#include "tools/lookup/WhoisSocket.h"
#include "tools/lookup/WhoisText.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace wv {

namespace {

QToolButton *followUpButton(const QString &text, const QString &hint, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setToolTip(hint);
    b->setEnabled(false);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QPlainTextEdit *replyMemo(QWidget *parent)
{
    auto *m = new QPlainTextEdit(parent);
    m->setReadOnly(true);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return m;
}

} // namespace

QWidget *TfrmLookup::buildWhoisSide()
{
    Panel1 = new QWidget(splitter);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto *queryLabel = new QLabel(QStringLiteral("Whois Q&uery"), Panel1);
    edtQuery = new QLineEdit(QStringLiteral("example.com"), Panel1);
    queryLabel->setBuddy(edtQuery);
    auto *serverLabel = new QLabel(QStringLiteral("Whois Ser&ver"), Panel1);
    cboServer = new QComboBox(Panel1);
    cboServer->setEditable(true);
    cboServer->setInsertPolicy(QComboBox::NoInsert);
    cboServer->addItems(WhoisServers());
    cboServer->setCurrentIndex(0);
    cboServer->lineEdit()->setMaxLength(255);
    serverLabel->setBuddy(cboServer);
    btnQuery = new QPushButton(QStringLiteral("&Query"), Panel1);
    btnWhoisStop = new QPushButton(QStringLiteral("Ca&ncel"), Panel1);
    btnWhoisStop->setEnabled(false);

    tbContact = followUpButton(QStringLiteral("&Contact"),
                               QStringLiteral("Lookup detailed contact information"), Panel1);
    tbSave = followUpButton(QStringLiteral("&Save"), QStringLiteral("Save WHOIS results to file"),
                            Panel1);
    tbEmail = followUpButton(QStringLiteral("Compose &Email"),
                             QStringLiteral("Compose an email to domain authorities"), Panel1);
    tbWebsite = followUpButton(QStringLiteral("&Website"), QStringLiteral("Go to website"), Panel1);

    contactPop = new QMenu(tbContact);
    const QString labels[] = {QStringLiteral("Administrative Contact"),
                              QStringLiteral("Technical Contact"),
                              QStringLiteral("Billing Contact")};
    for (int i = 0; i < 3; ++i) {
        QAction *a = contactPop->addAction(labels[i]);
        a->setToolTip(labels[i]);
        a->setStatusTip(labels[i]);
        a->setData(labels[i]);
        connect(a, &QAction::triggered, this, [this, i] { contactItemClick(i); });
        m_contactItems.append(a);
    }
    savePop = new QMenu(tbSave);
    for (int i = 0; i < 2; ++i) {
        QAction *a = savePop->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { saveItemClick(i); });
        m_saveItems.append(a);
    }
    emailPop = new QMenu(tbEmail);
    for (int i = 0; i < 6; ++i) {
        QAction *a = emailPop->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] { emailItemClick(i); });
        m_emailItems.append(a);
    }
    connect(contactPop, &QMenu::aboutToShow, this, &TfrmLookup::contactPopPopup);
    connect(savePop, &QMenu::aboutToShow, this, &TfrmLookup::savePopPopup);
    connect(emailPop, &QMenu::aboutToShow, this, &TfrmLookup::emailPopPopup);
    for (auto [button, menu] : {std::pair{tbContact, contactPop}, std::pair{tbSave, savePop},
                                std::pair{tbEmail, emailPop}}) {
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
    }
    for (QToolButton *b : {tbContact, tbSave, tbEmail, tbWebsite})
        b->installEventFilter(this);

    Memo1 = replyMemo(Panel1);
    Memo2 = replyMemo(Panel1);

    connect(btnQuery, &QPushButton::clicked, this, &TfrmLookup::btnQueryClick);
    connect(btnWhoisStop, &QPushButton::clicked, this, &TfrmLookup::btnWhoisStopClick);
    connect(tbWebsite, &QToolButton::clicked, this, &TfrmLookup::tbWebsiteClick);
    connect(edtQuery, &QLineEdit::returnPressed, this, &TfrmLookup::btnQueryClick);
    connect(cboServer->lineEdit(), &QLineEdit::returnPressed, this, &TfrmLookup::btnQueryClick);

    sock->setIdleTimeout(m_services.whoisIdleTimeout);
    sock2->setIdleTimeout(m_services.whoisIdleTimeout);
    connect(sock, &WhoisLookup::status, this,
            [this](const QString &text) { stat[1]->setText(text); });
    connect(sock, &WhoisLookup::linesAdded, this, &TfrmLookup::sockLines);
    connect(sock, &WhoisLookup::finished, this, &TfrmLookup::sockFinished);
    connect(sock2, &WhoisSocket::stateText, this,
            [this](const QString &name) { stat[1]->setText(QStringLiteral("Profile: ") + name); });
    connect(sock2, &WhoisSocket::linesReceived, this, &TfrmLookup::sock2Lines);
    connect(sock2, &WhoisSocket::finished, this, &TfrmLookup::sock2Finished);

    auto *form = new QGridLayout;
    form->addWidget(queryLabel, 0, 0);
    form->addWidget(edtQuery, 0, 1);
    form->addWidget(btnQuery, 0, 2);
    form->addWidget(serverLabel, 1, 0);
    form->addWidget(cboServer, 1, 1);
    form->addWidget(btnWhoisStop, 1, 2);
    form->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    for (QToolButton *b : {tbContact, tbSave, tbEmail, tbWebsite})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(Memo1, 3);
    layout->addWidget(Memo2, 1);
    return Panel1;
}

int TfrmLookup::cancelledFlag() const
{
    return m_cancelled ? 1 : 0;
}

void TfrmLookup::btnQueryClick()
{
    if (sock->isRunning())
        return;
    m_cancelled = false;
    btnQuery->setEnabled(false);
    edtQuery->setEnabled(false);
    cboServer->setEnabled(false);
    btnWhoisStop->setEnabled(true);
    Memo1->clear();
    sock->start(edtQuery->text(), cboServer->currentText().left(255));
}

void TfrmLookup::btnWhoisStopClick()
{
    m_cancelled = true;
    sock->cancel();
}

void TfrmLookup::sockLines(const QStringList &lines)
{
    Memo1->appendPlainText(lines.join(QLatin1Char('\n')));
}

void TfrmLookup::setFollowUpsEnabled(bool on)
{
    for (QToolButton *b : {tbContact, tbSave, tbEmail, tbWebsite})
        b->setEnabled(on);
}

void TfrmLookup::stripAndScroll(QPlainTextEdit *memo)
{
    const QString text = memo->toPlainText();
    const QString stripped = StripNotice(text);
    if (stripped != text)
        memo->setPlainText(stripped);
    // Three pages up, so that the start of the reply shows.
    for (int i = 0; i < 3; ++i)
        memo->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
}

void TfrmLookup::sockFinished()
{
    m_lastQuery = edtQuery->text();
    edtQuery->setEnabled(true);
    btnQuery->setEnabled(true);
    btnWhoisStop->setEnabled(false);
    cboServer->setEnabled(true);
    if (sock->reached()) {
        // While a contact query runs its buttons wait for it.
        if (!sock2->isActive())
            setFollowUpsEnabled(true);
        tbWebsite->setToolTip(QStringLiteral("Go to http://") + m_lastQuery);
        stripAndScroll(Memo1);
    }
    stat[1]->setText(sock->finalStatus());
    Q_EMIT queryEnded();
}

void TfrmLookup::contactPopPopup()
{
    const QString suffixes[] = {QStringLiteral(" Administrative contact"),
                                QStringLiteral(" Technical contact"),
                                QStringLiteral(" Billing contact")};
    for (int i = 0; i < 3; ++i)
        m_contactItems.at(i)->setText(m_lastQuery + suffixes[i]);
}

void TfrmLookup::contactItemClick(int item)
{
    if (item < 0 || item >= m_contactItems.size() || sock2->isActive())
        return;
    setFollowUpsEnabled(false);
    Memo2->clear();
    m_memo2Chars = 0;
    const QString handle =
        ContactHandle(Memo1->toPlainText(), m_contactItems.at(item)->data().toString());
    m_profileQuery = QStringLiteral("!") + handle;
    const auto server = ParseWhoisServer(cboServer->currentText().left(255));
    if (!server || !sock2->open(*server, QueryLine(m_profileQuery) + QLatin1Char('\n'))) {
        setFollowUpsEnabled(true);
        stat[1]->setText(QStringLiteral("Profile: Could not reach server"));
        Q_EMIT profileEnded();
    }
}

void TfrmLookup::sock2Lines(const QStringList &lines)
{
    qsizetype count = m_memo2Chars;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        count += lines.at(i).size() + 1;
    stat[1]->setText(QStringLiteral("Receiving profile data...%1").arg(count));
    for (const QString &l : lines)
        m_memo2Chars += l.size() + 1;
    Memo2->appendPlainText(lines.join(QLatin1Char('\n')));
}

void TfrmLookup::sock2Finished()
{
    setFollowUpsEnabled(true);
    if (!sock2->wasConnected()) {
        stat[1]->setText(QStringLiteral("Profile: Could not reach server"));
    } else {
        stripAndScroll(Memo2);
    }
    Q_EMIT profileEnded();
}

void TfrmLookup::savePopPopup()
{
    m_saveItems.at(0)->setText(m_lastQuery + QStringLiteral(" WHOIS result"));
    m_saveItems.at(1)->setText(m_profileQuery + QStringLiteral(" WHOIS profile result"));
    m_saveItems.at(1)->setEnabled(!m_profileQuery.isEmpty());
}

void TfrmLookup::saveItemClick(int item)
{
    if (item == 0)
        saveMemo(Memo1, m_lastQuery + QStringLiteral(".txt"));
    else if (item == 1 && !m_profileQuery.isEmpty())
        saveMemo(Memo2, m_profileQuery + QStringLiteral(".txt"));
}

void TfrmLookup::saveMemo(QPlainTextEdit *memo, const QString &proposed)
{
    QString path;
    if (m_services.chooseSaveFile) {
        path = m_services.chooseSaveFile(proposed);
    } else {
        QFileDialog dialog(this, QStringLiteral("Save WHOIS results"), proposed,
                           QStringLiteral("Text files (*.txt);;All files (*.*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        dialog.selectFile(proposed);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    QString text = memo->toPlainText();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 ||
        !file.commit()) {
        QMessageBox::critical(
            this, QStringLiteral("Error"),
            QStringLiteral("Could not save %1: %2").arg(path, file.errorString()));
    }
}

void TfrmLookup::emailPopPopup()
{
    const char *const boxes[] = {"webmaster", "postmaster", "admin", "abuse", "support"};
    for (int i = 0; i < 5; ++i)
        m_emailItems.at(i)->setText(QString::fromLatin1(boxes[i]) + QLatin1Char('@') + m_lastQuery);
    m_emailItems.at(5)->setText(QStringLiteral("Other..."));
}

void TfrmLookup::emailItemClick(int item)
{
    if (item >= 0 && item < 5) {
        openUrl(QUrl(QStringLiteral("mailto:") + m_emailItems.at(item)->text()));
        return;
    }
    if (item != 5)
        return;
    QString address;
    if (m_services.askEmail) {
        address = m_services.askEmail();
    } else {
        address = QInputDialog::getText(this, QStringLiteral("Email"),
                                        QStringLiteral("Enter an email address to write to:"));
    }
    if (!address.isEmpty())
        openUrl(QUrl(QStringLiteral("mailto:") + address));
}

void TfrmLookup::tbWebsiteClick()
{
    openUrl(QUrl(QStringLiteral("http://") + m_lastQuery));
}

void TfrmLookup::openUrl(const QUrl &url)
{
    if (m_services.openUrl)
        m_services.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

bool TfrmLookup::eventFilter(QObject *watched, QEvent *event)
{
    auto *button = qobject_cast<QToolButton *>(watched);
    if (button && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        QPalette p = button->palette();
        p.setColor(QPalette::ButtonText, event->type() == QEvent::Enter
                                             ? QColor(0, 0, 255)
                                             : palette().color(QPalette::WindowText));
        button->setPalette(p);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wv
