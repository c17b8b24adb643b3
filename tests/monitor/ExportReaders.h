#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace wv::test {

// Independent readers for the exported formats: each returns the rows of
// cells it finds, or sets ok to false when the file is not well formed.
QList<QStringList> readCsv(const QByteArray &bytes, bool *ok);
QList<QStringList> readSpreadsheetXml(const QByteArray &bytes, bool *ok);
QList<QStringList> readHtmlTable(const QByteArray &bytes, bool *ok);
QList<QStringList> readRtfTable(const QByteArray &bytes, bool *ok);

} // namespace wv::test
