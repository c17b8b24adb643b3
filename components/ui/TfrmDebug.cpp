#include "components/ui/TfrmDebug.h"

#include "settings/DebugTrace.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace wv {

TfrmDebug::TfrmDebug(DebugTrace &trace, QWidget *parent)
    : QWidget(parent, Qt::Window), m_trace(trace)
{
    setWindowTitle(QStringLiteral("Debug window"));
    memo = new QPlainTextEdit(this);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFont(QStringLiteral("monospace")));
    btnMinimize = new QPushButton(QStringLiteral("minimize"), this);
    btnClear = new QPushButton(QStringLiteral("clear"), this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnMinimize);
    buttons->addWidget(btnClear);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(memo, 1);
    layout->addLayout(buttons);
    resize(420, 300);

    restart();
    if (!m_trace.text().isEmpty())
        memo->appendPlainText(m_trace.text());

    connect(btnMinimize, &QPushButton::clicked, this, &TfrmDebug::btnMinimizeClick);
    connect(btnClear, &QPushButton::clicked, this, &TfrmDebug::btnClearClick);
    connect(&m_trace, &DebugTrace::lineAdded, this, &TfrmDebug::addLine);
    connect(&m_trace, &DebugTrace::cleared, this, &TfrmDebug::restart);
}

QStringList TfrmDebug::headerLines()
{
    return {QStringLiteral("--this window is safe to MINIMIZE--"),
            QStringLiteral("Starting WVN Pro Beta 4")};
}

void TfrmDebug::restart()
{
    memo->setPlainText(headerLines().join(QLatin1Char('\n')));
}

void TfrmDebug::addLine(const QString &line)
{
    memo->appendPlainText(line);
}

QString TfrmDebug::text() const
{
    return memo->toPlainText();
}

void TfrmDebug::setOnScreen(bool on)
{
    m_onScreen = on;
    if (!on) {
        hide();
        return;
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const int top = (y() >= area.top() && y() < area.bottom() - 40) ? y() : area.top() + 40;
    move(area.left(), top);
    show();
}

void TfrmDebug::applyExtras(const Settings &settings)
{
    setOnScreen(settings.xDebugWindow);
}

void TfrmDebug::btnMinimizeClick()
{
    showMinimized();
}

void TfrmDebug::btnClearClick()
{
    // Clearing the trace empties this window through the trace's signal.
    m_trace.clear();
}

void TfrmDebug::closeEvent(QCloseEvent *event)
{
    // The window lives for the whole run; closing it only hides it.
    event->ignore();
    m_onScreen = false;
    hide();
}

} // namespace wv
