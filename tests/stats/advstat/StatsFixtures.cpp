#include "tests/stats/advstat/StatsFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace wv::test {

namespace {

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text + '\n');
}

} // namespace

QJsonObject readRecording(const QString &name)
{
    QFile f(qEnvironmentVariable("WV_TEST_DATA") + QStringLiteral("/nm/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QList<NmActiveAnswer> nmAnswersFromJson(const QJsonObject &recording)
{
    QList<NmActiveAnswer> answers;
    for (const QJsonValue &v : recording.value(QStringLiteral("active")).toArray()) {
        const QJsonObject o = v.toObject();
        NmActiveAnswer a;
        a.id = o.value(QStringLiteral("Id")).toString();
        a.type = o.value(QStringLiteral("Type")).toString();
        a.state = quint32(o.value(QStringLiteral("State")).toInt());
        for (const QJsonValue &dv : o.value(QStringLiteral("Devices")).toArray()) {
            const QJsonObject d = dv.toObject();
            NmDeviceAnswer n;
            n.interface = d.value(QStringLiteral("Interface")).toString();
            n.ipInterface = d.value(QStringLiteral("IpInterface")).toString();
            n.driver = d.value(QStringLiteral("Driver")).toString();
            n.deviceType = quint32(d.value(QStringLiteral("DeviceType")).toInt());
            n.state = quint32(d.value(QStringLiteral("State")).toInt());
            n.stateReason = quint32(d.value(QStringLiteral("StateReason")).toArray().at(1).toInt());
            a.devices.append(n);
        }
        answers.append(a);
    }
    return answers;
}

QList<DialUpConnection> expectedConnectionsFromJson(const QJsonObject &recording)
{
    QList<DialUpConnection> list;
    for (const QJsonValue &v : recording.value(QStringLiteral("expected")).toArray()) {
        const QJsonObject o = v.toObject();
        list.append({o.value(QStringLiteral("connection")).toString(),
                     o.value(QStringLiteral("status")).toString(),
                     o.value(QStringLiteral("deviceType")).toString(),
                     o.value(QStringLiteral("deviceName")).toString(),
                     o.value(QStringLiteral("interface")).toString()});
    }
    return list;
}

void writeSysfsInterface(const QString &root, const QString &name, quint64 tx, quint64 rx,
                         quint64 rxPackets, const QByteArray &speed)
{
    const QString dir = root + QLatin1Char('/') + name;
    QDir().mkpath(dir + QStringLiteral("/statistics"));
    writeText(dir + QStringLiteral("/statistics/tx_bytes"), QByteArray::number(tx));
    writeText(dir + QStringLiteral("/statistics/rx_bytes"), QByteArray::number(rx));
    writeText(dir + QStringLiteral("/statistics/rx_packets"), QByteArray::number(rxPackets));
    if (!speed.isEmpty())
        writeText(dir + QStringLiteral("/speed"), speed);
    else
        QFile::remove(dir + QStringLiteral("/speed"));
}

} // namespace wv::test
