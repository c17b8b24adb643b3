#include "rules/mail/TSendMail.h"

#include <QDateTime>
#include <QHostInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>

namespace wv {

const QString TSendMail::Version = QStringLiteral("SendMail 1.3.9");

namespace {

// Command and header lines are cut to this many characters before CR LF.
constexpr qsizetype MaxLine = 253;
// The body goes out in blocks of this many bytes, each reported by info 11.
constexpr qsizetype BodyBlock = 2048;

struct SocketErrorText
{
    int code;
    const char *text;
};

SocketErrorText socketErrorText(QAbstractSocket::SocketError e)
{
    switch (e) {
    case QAbstractSocket::ConnectionRefusedError:
        return {TSendMail::ErrConnectionRefused, "Connection Refused"};
    case QAbstractSocket::HostNotFoundError:
        return {TSendMail::ErrResolve, "Address resolution error"};
    case QAbstractSocket::SocketAccessError:
        return {TSendMail::ErrInvalidAddress, "Invalid address specified"};
    case QAbstractSocket::SocketResourceError:
        return {TSendMail::ErrOutOfSockets, "Out of sockets"};
    case QAbstractSocket::SocketTimeoutError:
        return {TSendMail::ErrTimeout, "timeout"};
    case QAbstractSocket::NetworkError:
        return {TSendMail::ErrNetworkUnreachable, "Network unreachable"};
    case QAbstractSocket::SocketAddressNotAvailableError:
        return {TSendMail::ErrAddressNotAvailable, "Address not available"};
    case QAbstractSocket::AddressInUseError:
    case QAbstractSocket::UnsupportedSocketOperationError:
    case QAbstractSocket::DatagramTooLargeError:
    case QAbstractSocket::OperationError:
        return {TSendMail::ErrInternal, "Unexpected internal error in component"};
    case QAbstractSocket::RemoteHostClosedError:
        return {TSendMail::ErrConnectionReset, "Connection reset by remote side"};
    default:
        return {TSendMail::ErrUnknown, "Unknown Error"};
    }
}

} // namespace

TSendMail::TSendMail(QObject *parent) : QObject(parent)
{
    m_replyTimer.setSingleShot(true);
    connect(&m_replyTimer, &QTimer::timeout, this, &TSendMail::replyTimedOut);
}

TSendMail::~TSendMail()
{
    if (m_lookupId >= 0)
        QHostInfo::abortHostLookup(m_lookupId);
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void TSendMail::setAction(int action)
{
    if (action == 1)
        start();
    else if (action == 2)
        abort(StatusAborted);
}

QStringList *TSendMail::list(int n)
{
    switch (n) {
    case 1:
        return &ListTo;
    case 2:
        return &Listcc;
    case 3:
        return &ListBcc;
    default:
        return nullptr;
    }
}

int TSendMail::lastIndex(int n)
{
    QStringList *l = list(n);
    return l ? int(l->size()) - 1 - m_used[n - 1] : 0;
}

int TSendMail::nextList(int after)
{
    for (int n = after + 1; n <= 3; ++n) {
        if (lastIndex(n) >= 0)
            return n;
    }
    return 4;
}

QString TSendMail::helloName() const
{
    if (!LocalHostName.isEmpty())
        return LocalHostName;
    const QString name = QHostInfo::localHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

void TSendMail::start()
{
    if (m_busy) {
        Q_EMIT OnMailInfo(InfoBusy, QString());
        return;
    }
    m_busy = true;
    m_aborted = false;
    m_done = false;
    m_completionPosted = false;
    m_status = 0;
    m_state = 0;
    m_phase = Phase::Smtp;
    m_used[0] = m_used[1] = m_used[2] = 0;
    m_buffer.clear();
    m_sslErrors.clear();
    m_connected = false;

    if (!TO_Address.isEmpty()) {
        ListTo.insert(0, TO_Address + QLatin1Char('|') + TO_Name);
        m_used[0] = 1;
    } else {
        bool found = false;
        for (int n = 1; n <= 3 && !found; ++n) {
            if (!list(n)->isEmpty()) {
                const mail::Recipient r = mail::splitRecipient(list(n)->first());
                TO_Address = r.address;
                TO_Name = r.name;
                m_used[n - 1] = 1;
                found = true;
            }
        }
        if (!found) {
            fail(ErrDestination, QStringLiteral("Mail Destination Error"));
            return;
        }
    }

    // Credentials only ever travel inside TLS.
    if (!UserName.isEmpty() && Security == MailSecurity::None) {
        fail(ErrAuth, QStringLiteral("Authentication error: the relay's user name and password "
                                     "are only sent over TLS; set the security to STARTTLS or "
                                     "TLS"));
        return;
    }
    if (Security != MailSecurity::None && !QSslSocket::supportsSsl()) {
        fail(ErrTls, QStringLiteral("TLS error: no TLS library is available"));
        return;
    }

    auto *socket = new QSslSocket(this);
    m_socket = socket;
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!CaFile.isEmpty()) {
        const QList<QSslCertificate> certs = QSslCertificate::fromPath(CaFile);
        if (certs.isEmpty()) {
            fail(ErrTls,
                 QStringLiteral("TLS error: no certificate could be read from %1").arg(CaFile));
            return;
        }
        conf.addCaCertificates(certs);
    }
    socket->setSslConfiguration(conf);
    socket->setPeerVerifyName(SMTP_Server);
    connect(socket, &QSslSocket::connected, this, &TSendMail::socketConnected);
    connect(socket, &QSslSocket::encrypted, this, &TSendMail::socketEncrypted);
    connect(socket, &QSslSocket::readyRead, this, &TSendMail::socketReadyRead);
    connect(socket, &QSslSocket::disconnected, this, &TSendMail::socketDisconnected);
    connect(socket, &QSslSocket::errorOccurred, this, &TSendMail::socketError);
    connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            m_sslErrors.append(e.errorString());
    });

    Q_EMIT OnMailInfo(InfoResolving, SMTP_Server);
    const int id = QHostInfo::lookupHost(SMTP_Server, this, &TSendMail::hostFound);
    if (m_busy && !m_aborted)
        m_lookupId = id;
    if (TimeoutConnect > 0)
        m_replyTimer.start(TimeoutConnect);
    else
        armReplyTimer();
}

void TSendMail::hostFound(const QHostInfo &info)
{
    m_lookupId = -1;
    if (m_aborted || !m_socket)
        return;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        fail(ErrResolve, QStringLiteral("Address resolution error"));
        return;
    }
    m_addresses = info.addresses();
    m_addressIndex = 0;
    connectNext();
}

void TSendMail::connectNext()
{
    const QHostAddress address = m_addresses.at(m_addressIndex);
    Q_EMIT OnMailInfo(InfoConnecting, address.toString());
    // TLS checks the certificate against the name the user gave, not the
    // address it resolved to.
    if (Security == MailSecurity::Tls)
        m_socket->connectToHostEncrypted(address.toString(), SMTP_Port, SMTP_Server);
    else
        m_socket->connectToHost(address, SMTP_Port);
}

void TSendMail::socketConnected()
{
    m_connected = true;
    Q_EMIT OnMailInfo(InfoConnected, m_socket->peerAddress().toString());
    armReplyTimer();
}

void TSendMail::socketEncrypted()
{
    if (m_aborted || m_phase != Phase::Handshake)
        return;
    sendEhlo();
}

void TSendMail::socketReadyRead()
{
    if (!m_socket)
        return;
    m_buffer.append(m_socket->readAll());
    if (m_handling)
        return;
    m_handling = true;
    QByteArray line;
    while (!m_aborted && m_busy && m_buffer.takeLine(line)) {
        handleLine(QString::fromLatin1(line));
        // A reply to STARTTLS ends the clear-text part: whatever came with
        // it was sent before the handshake and must not be taken as a reply
        // from inside TLS.
        if (m_phase == Phase::Handshake)
            m_buffer.clear();
    }
    m_handling = false;
}

void TSendMail::socketDisconnected()
{
    if (m_aborted || !m_busy || m_completionPosted)
        return;
    m_replyTimer.stop();
    if (m_done) {
        Q_EMIT OnMailInfo(InfoDisconnected, QString());
        postCompletion();
        return;
    }
    fail(ErrPrematureDisconnect, QStringLiteral("Prematurely Disconnected"));
}

void TSendMail::socketError(QAbstractSocket::SocketError error)
{
    if (m_aborted || !m_busy || !m_socket || m_completionPosted)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError)
        return; // the disconnect handler tells a finished mail from a cut one
    if (m_done) {
        // The server has the message; how the connection ends after that
        // is no failure of the mail.
        Q_EMIT OnMailInfo(InfoDisconnected, QString());
        postCompletion();
        return;
    }
    if (error == QAbstractSocket::SslHandshakeFailedError ||
        error == QAbstractSocket::SslInternalError ||
        error == QAbstractSocket::SslInvalidUserDataError) {
        const QString reason = m_sslErrors.isEmpty() ? m_socket->errorString()
                                                     : m_sslErrors.join(QStringLiteral("; "));
        fail(ErrTls, QStringLiteral("TLS error: ") + reason);
        return;
    }
    if (!m_connected && m_addressIndex + 1 < m_addresses.size() &&
        (error == QAbstractSocket::ConnectionRefusedError ||
         error == QAbstractSocket::NetworkError)) {
        // localhost may resolve to ::1 first while the relay listens on
        // 127.0.0.1 only: try the next address.
        ++m_addressIndex;
        m_socket->abort();
        connectNext();
        return;
    }
    const SocketErrorText t = socketErrorText(error);
    fail(t.code, QString::fromLatin1(t.text));
}

void TSendMail::replyTimedOut()
{
    if (m_aborted || !m_busy || m_completionPosted)
        return;
    if (m_done) {
        // No goodbye after QUIT: the message was accepted all the same.
        Q_EMIT OnMailInfo(InfoDisconnected, QString());
        postCompletion();
        return;
    }
    if (!m_connected && TimeoutConnect > 0)
        fail(ErrTimeout, QStringLiteral("Connection timed out"));
    else
        fail(ErrTimeout, QStringLiteral("timeout"));
}

void TSendMail::armReplyTimer()
{
    if (TimeoutReply > 0)
        m_replyTimer.start(TimeoutReply);
}

void TSendMail::fail(int code, const QString &text)
{
    Q_EMIT OnMailError(code, text);
    abort(code);
}

void TSendMail::abort(int status)
{
    if (m_aborted || !m_busy)
        return;
    m_status = status;
    TO_Address.clear();
    TO_Name.clear();
    ListTo.clear();
    Listcc.clear();
    ListBcc.clear();
    m_aborted = true;
    m_replyTimer.stop();
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    if (m_socket)
        m_socket->abort();
    postCompletion();
}

void TSendMail::postCompletion()
{
    if (m_completionPosted)
        return;
    m_completionPosted = true;
    QMetaObject::invokeMethod(this, &TSendMail::completion, Qt::QueuedConnection);
}

void TSendMail::completion()
{
    m_replyTimer.stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    m_socket = nullptr;
    // Each mail takes its envelope recipient from its own lists.
    TO_Address.clear();
    TO_Name.clear();
    m_busy = false;
    Q_EMIT completed(m_done);
}

void TSendMail::handleLine(const QString &line)
{
    Q_EMIT OnMailInfo(InfoLineReceived, line);
    const QChar first = line.isEmpty() ? QChar() : line.at(0);
    if (first == QLatin1Char('4') || first == QLatin1Char('5') || first == QLatin1Char('-')) {
        if (m_phase == Phase::Smtp && m_state == 3) {
            Q_EMIT OnMailInfo(InfoRecipientRefused, m_current);
        } else {
            fail(ErrUnexpectedResponse, QStringLiteral("Unexpected response: ") + line);
            return;
        }
    }
    if (line.size() >= 4 && line.at(3) == QLatin1Char('-')) {
        if (m_phase == Phase::Ehlo && ++m_ehloLines > 1)
            m_ext.addLine(line);
        armReplyTimer();
        return;
    }
    if (m_phase != Phase::Smtp) {
        handlePhase(line);
        return;
    }
    actOnState();
}

void TSendMail::actOnState()
{
    switch (m_state) {
    case 0:
        if (Security != MailSecurity::None || !UserName.isEmpty()) {
            ++m_state;
            sendEhlo();
            return;
        }
        sendLine(QStringLiteral("HELO ") + helloName());
        break;
    case 1:
        sendLine(QStringLiteral("MAIL FROM:<") + FROM_Address + QLatin1Char('>'));
        break;
    case 2:
        sendLine(QStringLiteral("RCPT TO:<") + TO_Address + QLatin1Char('>'));
        m_current = TO_Address;
        m_list = nextList(0);
        m_index = -1;
        Q_EMIT OnMailInfo(InfoRecipientSent, TO_Address);
        break;
    case 3:
        sendRecipient();
        return; // the state stays 3 until DATA is sent
    case 4:
        break; // the reply to DATA is handled in state 5
    case 5:
        sendMessage();
        break;
    case 6:
        Q_EMIT OnMailInfo(InfoMailSent, QString());
        m_done = true;
        sendLine(QStringLiteral("QUIT"));
        break;
    default:
        // The reply to QUIT: the server closes, or we do.
        m_replyTimer.stop();
        if (m_socket)
            m_socket->disconnectFromHost();
        return;
    }
    ++m_state;
}

void TSendMail::sendRecipient()
{
    if (m_list == 4) {
        sendLine(QStringLiteral("DATA"));
        m_state = 5;
        return;
    }
    ++m_index;
    const QStringList &lines = *list(m_list);
    const mail::Recipient r = mail::splitRecipient(lines.at(m_index + m_used[m_list - 1]));
    m_current = r.address;
    sendLine(QStringLiteral("RCPT TO:<") + r.address + QLatin1Char('>'));
    Q_EMIT OnMailInfo(InfoRecipientSent, r.address);
    if (m_index >= lastIndex(m_list)) {
        m_list = nextList(m_list);
        m_index = -1;
    }
}

void TSendMail::sendEhlo()
{
    m_phase = Phase::Ehlo;
    m_ext = {};
    m_ehloLines = 0;
    sendLine(QStringLiteral("EHLO ") + helloName());
}

void TSendMail::handlePhase(const QString &line)
{
    switch (m_phase) {
    case Phase::Ehlo:
        if (++m_ehloLines > 1)
            m_ext.addLine(line);
        afterEhlo();
        return;
    case Phase::StartTls:
        m_phase = Phase::Handshake;
        m_socket->startClientEncryption();
        armReplyTimer();
        return;
    case Phase::AuthLogin:
        m_phase = Phase::AuthLoginPw;
        sendSecret(UserName.toUtf8().toBase64(), QStringLiteral("(user name)"));
        return;
    case Phase::AuthLoginPw:
        m_phase = Phase::AuthLoginEnd;
        sendSecret(Password.toUtf8().toBase64(), QStringLiteral("(password)"));
        return;
    case Phase::AuthPlain:
    case Phase::AuthLoginEnd:
        startMail();
        return;
    case Phase::Handshake:
    case Phase::Smtp:
        return;
    }
}

void TSendMail::afterEhlo()
{
    if (Security == MailSecurity::StartTls && !m_socket->isEncrypted()) {
        if (!m_ext.startTls) {
            fail(ErrTls, QStringLiteral("TLS error: the server does not offer STARTTLS"));
            return;
        }
        m_phase = Phase::StartTls;
        sendLine(QStringLiteral("STARTTLS"));
        return;
    }
    if (!UserName.isEmpty()) {
        if (m_ext.auth.contains(QLatin1String("PLAIN"))) {
            m_phase = Phase::AuthPlain;
            const QByteArray token =
                (QByteArray(1, '\0') + UserName.toUtf8() + QByteArray(1, '\0') + Password.toUtf8())
                    .toBase64();
            sendSecret("AUTH PLAIN " + token, QStringLiteral("AUTH PLAIN (credentials)"));
        } else if (m_ext.auth.contains(QLatin1String("LOGIN"))) {
            m_phase = Phase::AuthLogin;
            sendLine(QStringLiteral("AUTH LOGIN"));
        } else {
            fail(ErrAuth, QStringLiteral("Authentication error: the server offers neither AUTH "
                                         "PLAIN nor AUTH LOGIN"));
        }
        return;
    }
    startMail();
}

void TSendMail::startMail()
{
    m_phase = Phase::Smtp;
    m_state = 1;
    actOnState();
}

void TSendMail::sendMessage()
{
    const QString name = helloName();
    sendLine(QStringLiteral("From: ") + mail::encodeHeader(FROM_Name) + QStringLiteral(" <") +
             FROM_Address + QLatin1Char('>'));
    for (const QString &line : std::as_const(ListTo)) {
        const mail::Recipient r = mail::splitRecipient(line);
        if (r.name.isEmpty())
            sendLine(QStringLiteral("To: ") + r.address + QLatin1Char(';'));
        else
            sendLine(QStringLiteral("To: ") + mail::encodeHeader(r.name) + QStringLiteral(" <") +
                     r.address + QLatin1Char('>'));
    }
    for (const QString &line : std::as_const(Listcc)) {
        const mail::Recipient r = mail::splitRecipient(line);
        if (r.name.isEmpty())
            sendLine(QStringLiteral("cc: ") + r.address);
        else
            sendLine(QStringLiteral("cc: ") + mail::encodeHeader(r.name) + QStringLiteral(" <") +
                     r.address + QLatin1Char('>'));
    }
    if (!Subject.isEmpty())
        sendLine(QStringLiteral("Subject: ") + mail::encodeHeader(Subject));
    sendLine(QStringLiteral("Date: ") + mail::rfc5322Date(QDateTime::currentDateTime()));
    sendLine(QStringLiteral("Message-ID: ") + mail::newMessageId(FROM_Address, name));
    sendLine(QStringLiteral("Mime-Version: 1.0"));

    QString text;
    for (const QString &line : std::as_const(MailText))
        text += line + QStringLiteral("\r\n");
    bool ascii = true;
    for (const QChar c : std::as_const(text)) {
        if (c.unicode() > 127)
            ascii = false;
    }
    QByteArray body = ascii ? text.toLatin1() : text.toUtf8();
    const bool qp = mail::needsQuotedPrintable(body);
    // A body with characters beyond ASCII is UTF-8, and says so.
    sendLine(ascii ? QStringLiteral("Content-Type: text/plain; charset=\"us-ascii\"")
                   : QStringLiteral("Content-Type: text/plain; charset=\"utf-8\""));
    if (qp) {
        sendLine(QStringLiteral("Content-Transfer-Encoding: quoted-printable"));
        body = mail::encodeQuotedPrintable(body);
    }
    for (const QString &h : std::as_const(Headers))
        sendLine(mail::encodeHeader(h));
    sendLine(QString());

    body = mail::dotStuff(body);
    Q_EMIT OnMailInfo(InfoBodyLength, QString::number(body.size()));
    for (qsizetype sentBytes = 0; sentBytes < body.size() && !m_aborted;) {
        const QByteArray block = body.mid(sentBytes, BodyBlock);
        sendBytes(block);
        sentBytes += block.size();
        Q_EMIT OnMailInfo(InfoBodySent, QString::number(sentBytes));
    }
    sendLine(QString());
    sendLine(QStringLiteral("."));
}

void TSendMail::sendLine(const QString &text)
{
    if (m_aborted || !m_socket)
        return;
    const QString cut = text.left(MaxLine);
    Q_EMIT OnMailInfo(InfoSending, cut);
    sendBytes(cut.toUtf8() + "\r\n");
}

void TSendMail::sendSecret(const QByteArray &line, const QString &shown)
{
    if (m_aborted || !m_socket)
        return;
    Q_EMIT OnMailInfo(InfoSending, shown);
    sendBytes(line + "\r\n");
}

void TSendMail::sendBytes(const QByteArray &bytes)
{
    if (m_aborted || !m_socket)
        return;
    // The socket buffers what the kernel does not take at once and writes it
    // from the event loop, so nothing here waits.
    if (m_socket->write(bytes) != bytes.size()) {
        fail(ErrInternal, QStringLiteral("Unexpected internal error in component"));
        return;
    }
    armReplyTimer();
}

} // namespace wv
