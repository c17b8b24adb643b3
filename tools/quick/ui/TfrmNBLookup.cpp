#include "tools/quick/ui/TfrmNBLookup.h"

#include "tools/quick/CommandCapture.h"
#include "tools/quick/TextRules.h"
#include "tools/quick/ui/ToolWindowParts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace wv {

TfrmNBLookup::TfrmNBLookup(QWidget *parent)
    : QWidget(parent, Qt::Window), m_capture(new CommandCapture(this)),
      m_program(NetBiosCommand::Program)
{
    setObjectName(QStringLiteral("frmNBLookup"));
    setWindowTitle(QStringLiteral("NetBIOS name table lister"));
    setAttribute(Qt::WA_DeleteOnClose);
    toolparts::closeOnEscape(this);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    new KeyCharFilter(Edit1, QStringLiteral("0123456789."));
    tb1 = new QPushButton(QStringLiteral("&Lookup"), this);
    tb1->setObjectName(QStringLiteral("tb1"));
    tb2 = new QPushButton(QStringLiteral("&Close"), this);
    tb2->setObjectName(QStringLiteral("tb2"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(QStringLiteral("&IP:"), this);
    label->setBuddy(Edit1);
    grid->addWidget(label, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(tb1, 0, 2);
    grid->addWidget(tb2, 0, 3);
    grid->addWidget(Memo1, 1, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    resize(520, 320);

    connect(tb1, &QPushButton::clicked, this, &TfrmNBLookup::tb1Click);
    connect(tb2, &QPushButton::clicked, this, &TfrmNBLookup::tb2Click);
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString &text) {
        tb1->setEnabled(!text.isEmpty() && !m_capture->isRunning());
    });
    connect(m_capture, &CommandCapture::outputReceived, this, &TfrmNBLookup::captureOutput);
    connect(m_capture, &CommandCapture::finished, this, &TfrmNBLookup::captureFinished);
    new EnterFilter(Edit1, [this] {
        if (tb1->isEnabled())
            tb1Click();
    });
    tb1->setEnabled(false);
}

TfrmNBLookup::~TfrmNBLookup()
{
    restoreCursor();
}

void TfrmNBLookup::tb1Click()
{
    const QString address = Edit1->text();
    if (containsLetter(address) || address.isEmpty() || m_capture->isRunning())
        return;
    Memo1->clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_busyCursor = true;
    tb1->setEnabled(false);
    m_capture->start(m_program, NetBiosCommand::arguments(address));
}

void TfrmNBLookup::lookupAddress(const QString &address)
{
    Edit1->setText(address);
    tb1Click();
}

void TfrmNBLookup::captureOutput(const QByteArray &chunk)
{
    QTextCursor c(Memo1->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QString::fromLocal8Bit(chunk));
}

void TfrmNBLookup::captureFinished(int result)
{
    if (result == CommandCapture::NotStarted && m_capture->output().isEmpty())
        Memo1->setPlainText(NetBiosCommand::notInstalledText(m_program));
    else if (result == CommandCapture::TimedOut)
        captureOutput(NetBiosCommand::timedOutText(m_capture->timeout()).toLocal8Bit());
    Memo1->verticalScrollBar()->setValue(0);
    restoreCursor();
    tb1->setEnabled(!Edit1->text().isEmpty());
}

void TfrmNBLookup::restoreCursor()
{
    if (m_busyCursor) {
        m_busyCursor = false;
        QApplication::restoreOverrideCursor();
    }
}

void TfrmNBLookup::tb2Click()
{
    restoreCursor();
    close();
}

void TfrmNBLookup::closeEvent(QCloseEvent *event)
{
    m_capture->stop();
    restoreCursor();
    QWidget::closeEvent(event);
}

void TfrmNBLookup::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Edit1->setFocus();
}

void TfrmNBLookup::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Edit1->setFocus();
}

} // namespace wv
