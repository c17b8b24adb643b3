#include "components/ui/TfrmError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <unistd.h>

namespace wv {

TfrmError::TfrmError(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_exitNow([] { ::_exit(1); })
{
    setWindowTitle(QStringLiteral("Error"));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto *text =
        new QLabel(QStringLiteral("<b>An error occurred in Wirevane.</b><br><br>"
                                  "Please note what you did last and the last lines of the debug "
                                  "window; they help to find the cause. The message was:"),
                   this);
    text->setWordWrap(true);
    memo = new QPlainTextEdit(this);
    memo->setReadOnly(true);
    memo->setFixedSize(400, 110);

    btnContinue = new QPushButton(QStringLiteral("Continue"), this);
    btnContinue->setDefault(true);
    btnContinue->setToolTip(QStringLiteral("Close this window and keep working"));
    btnExit = new QPushButton(QStringLiteral("Emergency exit"), this);
    btnExit->setToolTip(QStringLiteral("End Wirevane at once without saving anything"));

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnContinue);
    buttons->addWidget(btnExit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(memo);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnContinue, &QPushButton::clicked, this, &TfrmError::btnContinueClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmError::btnExitClick);
}

void TfrmError::setMessage(const QString &message)
{
    memo->setPlainText(message);
}

void TfrmError::appendMessage(const QString &message)
{
    memo->appendPlainText(message);
}

QString TfrmError::message() const
{
    return memo->toPlainText();
}

void TfrmError::setEmergencyExit(std::function<void()> exitNow)
{
    m_exitNow = std::move(exitNow);
}

void TfrmError::btnContinueClick()
{
    accept();
}

void TfrmError::btnExitClick()
{
    if (m_exitNow)
        m_exitNow();
}

} // namespace wv
