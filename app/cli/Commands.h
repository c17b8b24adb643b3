#pragma once

#include <QStringList>

// Each command takes its own arguments (without the command name) and returns
// the process exit code: 0 success, 1 failure of the operation, 2 bad usage.
namespace wv::cli {

int settings(const QStringList &args);
int connections(const QStringList &args);
int counters(const QStringList &args);
int walk(const QStringList &args);
int resolve(const QStringList &args);
int port(const QStringList &args);
int rules(const QStringList &args);
int rulesEdit(const QString &verb, const QStringList &args);
int dns(const QStringList &args);
int profile(const QStringList &args);
int watch(const QStringList &args);
int stats(const QStringList &args);
int mail(const QStringList &args);
int ping(const QStringList &args);
int trace(const QStringList &args);
int whois(const QStringList &args);
int quickdns(const QStringList &args);
int finger(const QStringList &args);
int netbios(const QStringList &args);
int probe(const QStringList &args);

} // namespace wv::cli
