#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

class QTimer;

namespace wv {

// Runs a command with its standard output and standard error captured
// together. Output is read as it comes (so a command that writes a lot never
// blocks on a full pipe) and handed on in pieces; a time-out stops the
// command. The result is the command's exit code, -1 when it could not be
// started, -2 when the time-out stopped it, -3 when stop() did.
class CommandCapture : public QObject
{
    Q_OBJECT
public:
    static constexpr int NotStarted = -1;
    static constexpr int TimedOut = -2;
    static constexpr int Stopped = -3;
    // What is kept for the text control; more output is read and dropped.
    static constexpr qsizetype MaxKept = 1 << 20;

    explicit CommandCapture(QObject *parent = nullptr);
    ~CommandCapture() override;

    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }

    // Starts program with arguments (no shell). False when a command runs.
    bool start(const QString &program, const QStringList &arguments);
    // Stops the running command.
    void stop();
    bool isRunning() const;
    // Everything kept so far.
    const QByteArray &output() const { return m_output; }
    bool truncated() const { return m_truncated; }
    int result() const { return m_result; }
    QString errorText() const { return m_error; }

    // Runs the command to its end in a local event loop (the interface keeps
    // running) and returns the result.
    int run(const QString &program, const QStringList &arguments);

Q_SIGNALS:
    void outputReceived(const QByteArray &chunk);
    // result as above.
    void finished(int result);

private:
    void onReadyRead();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    void onTimeout();
    void finish(int result);

    QProcess *m_process = nullptr;
    QTimer *m_timer;
    int m_timeoutMs = 30000;
    QByteArray m_output;
    bool m_truncated = false;
    bool m_timedOut = false;
    bool m_stopped = false;
    bool m_running = false;
    int m_result = NotStarted;
    QString m_error;
};

// The NetBIOS name-table command: "nmblookup -A ADDRESS".
struct NetBiosCommand
{
    static inline const QString Program = QStringLiteral("nmblookup");
    static inline const QString Package = QStringLiteral("samba-common-bin");
    static QStringList arguments(const QString &address) { return {QStringLiteral("-A"), address}; }
    // What the window shows when the command could not be started.
    static QString notInstalledText(const QString &program = Program);
    // What the window adds when the time-out stopped the command.
    static QString timedOutText(int milliseconds);
};

} // namespace wv
