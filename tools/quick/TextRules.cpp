#include "tools/quick/TextRules.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <netdb.h>

#include <mutex>

namespace wv {

bool containsLetter(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
            return true;
    }
    return false;
}

FingerAddress splitFingerAddress(const QString &text)
{
    FingerAddress a;
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at < 0)
        return a;
    a.ok = true;
    a.user = text.left(at);
    a.host = text.mid(at + 1).left(255);
    return a;
}

QByteArray fingerQuery(const QString &user, bool verbose)
{
    QByteArray q = verbose ? QByteArrayLiteral("/w ") : QByteArray();
    // The query is one line: a line break typed or pasted into the user part
    // would start a second query the server never asked for.
    QByteArray u = user.toUtf8();
    u.replace('\r', ' ').replace('\n', ' ');
    return q + u;
}

quint16 servicePort(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    bool ok = false;
    const uint n = t.toUInt(&ok);
    if (ok)
        return n <= 65535 ? quint16(n) : 0;
    // getservbyname walks a static buffer; the lock keeps two callers apart.
    static std::mutex lock;
    std::lock_guard guard(lock);
    const QByteArray name = t.toLatin1();
    const servent *s = ::getservbyname(name.constData(), "tcp");
    return s ? quint16(ntohs(quint16(s->s_port))) : 0;
}

} // namespace wv
