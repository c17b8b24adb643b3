#include "tests/tools/lookup/WhoisTestServer.h"

#include <QFile>

namespace wv::test {

WhoisTestServer::WhoisTestServer()
{
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral(WV_SOURCE_DIR "/tests/tools/lookup/whois_server.py"),
                     m_dir.filePath(QStringLiteral("requests.log"))});
    if (!m_process.waitForStarted(10000))
        return;
    for (int i = 0; i < 100 && !m_process.canReadLine(); ++i)
        m_process.waitForReadyRead(100);
    const QList<QByteArray> ports = m_process.readLine().trimmed().split(' ');
    if (ports.size() == 2) {
        m_port = quint16(ports.at(0).toUInt());
        m_port2 = quint16(ports.at(1).toUInt());
    }
}

WhoisTestServer::~WhoisTestServer()
{
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QList<WhoisTestServer::Request> WhoisTestServer::requests() const
{
    QFile f(m_dir.filePath(QStringLiteral("requests.log")));
    QList<Request> list;
    if (!f.open(QIODevice::ReadOnly))
        return list;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            list.append({quint16(parts.at(0).toUInt()), QByteArray::fromHex(parts.at(1))});
    }
    return list;
}

} // namespace wv::test
