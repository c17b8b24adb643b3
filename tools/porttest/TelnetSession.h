#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpSocket;
struct telnet_t;
union telnet_event_t;

namespace wv {

// A telnet client session (libtelnet over a QTcpSocket): option negotiation
// answered as a VT100 terminal of a fixed size, data to and from the remote
// side, and the session events the port tester shows. Against a service that
// does not speak telnet (SSH, SMTP) nothing is negotiated and the bytes pass
// as they are.
class TelnetSession : public QObject
{
    Q_OBJECT
public:
    static inline const QString DefaultService = QStringLiteral("telnet");
    static inline const QByteArray TerminalType = QByteArrayLiteral("VT100");

    explicit TelnetSession(QObject *parent = nullptr);
    ~TelnetSession() override;

    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    // A port number or a service name ("smtp"); empty means "telnet".
    void setPort(const QString &port) { m_port = port; }
    QString port() const { return m_port; }
    // The window size reported to a server that asks (NAWS).
    void setWindowSize(int columns, int rows);

    // Starts connecting. A port that is neither a number nor a known service
    // ends at once with an error and the session-closed event.
    void connectToHost();
    // Drops the session; harmless when nothing is connected.
    void disconnectFromHost();
    bool isConnected() const { return m_state == State::Connected; }
    // Connecting or connected.
    bool isOpen() const { return m_state != State::Idle; }

    // Sends bytes to the remote side (IAC bytes are doubled).
    void send(const QByteArray &bytes);

    // Bytes as they come from the remote side: telnet commands are answered,
    // the rest is handed on by dataAvailable.
    void receive(const QByteArray &bytes);

    // Negotiation seen so far, as "DO 24", "WILL 1", "SB 24 SEND", ... (for
    // diagnostics and tests).
    QStringList negotiation() const { return m_negotiation; }
    // The last connection error, empty when none.
    QString errorText() const { return m_error; }

Q_SIGNALS:
    void sessionConnected();
    void sessionClosed();
    // Application data received from the remote side.
    void dataAvailable(const QByteArray &bytes);
    // A message of the terminal itself ("Connection refused").
    void terminalMessage(const QString &text);

private:
    struct Handler;
    friend struct Handler;
    void onEvent(telnet_event_t *event);
    void onReadyRead();
    void onSocketError();
    void onDisconnected();
    void fail(const QString &error);
    void sendWindowSize();

    QTcpSocket *m_sock;
    telnet_t *m_telnet = nullptr;
    QString m_host = QStringLiteral("127.0.0.1");
    QString m_port = DefaultService;
    int m_columns = 80;
    int m_rows = 25;
    enum class State
    {
        Idle,
        Connecting,
        Connected
    };
    State m_state = State::Idle;
    quint64 m_attempt = 0;
    QStringList m_negotiation;
    QString m_error;
    QByteArray m_received;
};

} // namespace wv
