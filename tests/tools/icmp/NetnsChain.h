#pragma once

#include <QString>

namespace wv::test {

// The five-hop namespace chain of netns_chain.sh, named after this process,
// created on construction and removed on destruction. enter() moves the
// calling thread (and every thread it starts afterwards) into the chain's
// first namespace; leave() moves it back.
class NetnsChain
{
public:
    NetnsChain();
    ~NetnsChain();
    bool isUp() const { return m_up; }
    QString error() const { return m_error; }
    QString tag() const { return m_tag; }
    QString source() const { return m_tag + QStringLiteral("s"); }
    bool enter();
    void leave();
    // Runs a command in the source namespace; its standard output.
    QByteArray run(const QStringList &command, int *exitCode = nullptr,
                   QByteArray *errors = nullptr) const;

    static QString router(int k) { return QStringLiteral("10.201.%1.2").arg(k); }
    static QString farEnd() { return router(5); }
    static QString unreachable() { return QStringLiteral("10.202.0.1"); }
    static QString silent() { return QStringLiteral("10.203.0.1"); }

private:
    QString m_tag;
    QString m_error;
    bool m_up = false;
    int m_home = -1;
};

} // namespace wv::test
