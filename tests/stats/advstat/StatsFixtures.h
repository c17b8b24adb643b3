#pragma once

#include "stats/advstat/DialUpConnections.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

namespace wv::test {

// NetworkManager's recorded answers (tests/data/nm/*.json, "active") and the
// connections the window is expected to show for them ("expected").
QList<NmActiveAnswer> nmAnswersFromJson(const QJsonObject &recording);
QList<DialUpConnection> expectedConnectionsFromJson(const QJsonObject &recording);
QJsonObject readRecording(const QString &name);

// A /sys/class/net-shaped folder with one interface and the given counters
// ("speed" is left out when empty).
void writeSysfsInterface(const QString &root, const QString &name, quint64 tx, quint64 rx,
                         quint64 rxPackets, const QByteArray &speed = {});

} // namespace wv::test
