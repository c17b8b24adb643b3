#pragma once

#include <QString>

namespace wv {

// True when any character of the text is in A-Z or a-z.
bool containsLetter(const QString &text);

// A finger address split at its first "@": the user part before it, the host
// part after it (at most 255 characters). Without an "@" ok is false.
struct FingerAddress
{
    bool ok = false;
    QString user;
    QString host;
};
FingerAddress splitFingerAddress(const QString &text);

// The finger query line without its line end: the user part, preceded by
// "/w " when verbose output is asked for.
QByteArray fingerQuery(const QString &user, bool verbose);

// A TCP port from a number or a name of the system's services database
// ("smtp", "ssh"); 0 when neither.
quint16 servicePort(const QString &text);

} // namespace wv
