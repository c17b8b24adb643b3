#pragma once

#include "tools/lookup/WhoisText.h"

#include <QObject>
#include <QStringList>

namespace wv {

class WhoisSocket;

// One main WHOIS query: the request to the chosen server and, when the reply
// refers to another server (and following is on), the same request there,
// once. Both replies go into one text, the second after a line naming the
// referral. Status texts are the lookup window's.
class WhoisLookup : public QObject
{
    Q_OBJECT
public:
    struct Reply
    {
        WhoisServer server;
        QStringList lines;
    };

    explicit WhoisLookup(QObject *parent = nullptr);

    void setFollowReferral(bool on) { m_follow = on; }
    void setIdleTimeout(int milliseconds);
    void setMaxReply(qint64 bytes);

    // Starts the query; finished() always follows, also when the server text
    // cannot be used.
    void start(const QString &query, const QString &serverText);
    // Closes the connection from this side; finished() follows.
    void cancel();
    bool isRunning() const { return m_running; }

    bool reached() const { return m_reached; }
    bool cancelled() const { return m_cancelled; }
    bool wasCut() const { return m_cut; }
    bool timedOut() const { return m_timedOut; }
    const QList<Reply> &replies() const { return m_replies; }
    // Every line shown, in order (the referral line included).
    const QStringList &lines() const { return m_lines; }
    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    // The status text once the query has ended.
    QString finalStatus() const;

Q_SIGNALS:
    void status(const QString &text);
    void linesAdded(const QStringList &lines);
    void finished();

private:
    void connectTo(const WhoisServer &server);
    void onLines(const QStringList &lines);
    void onSocketFinished();
    void addLines(const QStringList &lines);
    void end();

    WhoisSocket *m_socket;
    bool m_follow = true;
    bool m_running = false;
    bool m_reached = false;
    bool m_cancelled = false;
    bool m_cut = false;
    bool m_timedOut = false;
    QString m_query;
    QList<Reply> m_replies;
    QStringList m_lines;
    qsizetype m_chars = 0;
};

} // namespace wv
