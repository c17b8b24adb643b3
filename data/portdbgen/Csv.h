#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace wv::portdbgen {

// Reads comma-separated text: fields in double quotes may hold commas, line
// breaks and doubled quotes (""), records end at LF or CRLF. Returns false
// with error set (naming the line) when a quoted field is never closed.
bool parseCsv(const QByteArray &text, QList<QStringList> &rows, QString *error = nullptr);

} // namespace wv::portdbgen
