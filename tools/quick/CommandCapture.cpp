#include "tools/quick/CommandCapture.h"

#include <QEventLoop>
#include <QTimer>

namespace wv {

CommandCapture::CommandCapture(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &CommandCapture::onTimeout);
}

CommandCapture::~CommandCapture()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(2000);
    }
}

bool CommandCapture::isRunning() const
{
    return m_running;
}

bool CommandCapture::start(const QString &program, const QStringList &arguments)
{
    if (m_running)
        return false;
    m_output.clear();
    m_truncated = false;
    m_timedOut = false;
    m_stopped = false;
    m_result = NotStarted;
    m_error.clear();
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
    }
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    // Nothing to read from: a command that asks for input gets end-of-file.
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::readyRead, this, &CommandCapture::onReadyRead);
    connect(m_process, &QProcess::finished, this, &CommandCapture::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, &CommandCapture::onError);
    m_running = true;
    m_timer->start(m_timeoutMs);
    m_process->start(program, arguments);
    return true;
}

void CommandCapture::onReadyRead()
{
    const QByteArray chunk = m_process->readAll();
    if (chunk.isEmpty())
        return;
    const qsizetype room = MaxKept - m_output.size();
    if (room <= 0) {
        m_truncated = true;
        return;
    }
    const QByteArray kept = chunk.left(room);
    if (kept.size() < chunk.size())
        m_truncated = true;
    m_output += kept;
    Q_EMIT outputReceived(kept);
}

void CommandCapture::onFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_running)
        return;
    onReadyRead();
    if (m_timedOut)
        finish(TimedOut);
    else if (m_stopped)
        finish(Stopped);
    else
        finish(status == QProcess::NormalExit ? exitCode : NotStarted);
}

void CommandCapture::onError(QProcess::ProcessError error)
{
    if (!m_running)
        return;
    if (error == QProcess::FailedToStart) {
        m_error = m_process->errorString();
        finish(NotStarted);
    }
    // Crashes and read errors end with finished(), handled there.
}

void CommandCapture::onTimeout()
{
    if (!m_running || !m_process)
        return;
    m_timedOut = true;
    m_process->kill();
}

void CommandCapture::stop()
{
    if (m_running && m_process) {
        m_stopped = true;
        m_process->kill();
    }
}

void CommandCapture::finish(int result)
{
    m_running = false;
    m_timer->stop();
    m_result = result;
    Q_EMIT finished(result);
}

int CommandCapture::run(const QString &program, const QStringList &arguments)
{
    if (!start(program, arguments))
        return NotStarted;
    if (m_running) {
        QEventLoop loop;
        connect(this, &CommandCapture::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_result;
}

QString NetBiosCommand::notInstalledText(const QString &program)
{
    return QStringLiteral("The command \"%1\" is not installed.\n"
                          "It comes with the package %2\n(apt install %2).\n")
        .arg(program, Package);
}

QString NetBiosCommand::timedOutText(int milliseconds)
{
    return QStringLiteral("\n(stopped: no end after %1 seconds)\n").arg(milliseconds / 1000.0);
}

} // namespace wv
