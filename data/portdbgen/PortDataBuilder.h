#pragma once

#include "data/portdbgen/PortNotes.h"
#include "monitor/portdb/PortDatabaseWriter.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace wv::portdbgen {

// Turns the service-name registry (CSV rows, the first one the header) and
// our own notes into one record per port:
//   Name  the main service name on the port (aliases and duplicates skipped)
//   Text2 the transport protocols of that service
//   Text3 the description
//   Text4 our notes, then the registry's details, wrapped for reading
class PortDataBuilder
{
public:
    static constexpr int kWrapWidth = 72;

    // Returns false with error set when a needed column is missing.
    bool build(const QList<QStringList> &csv, const QList<PortNote> &notes,
               QString *error = nullptr);

    const QMap<int, PortDatabaseWriter::Record> &records() const { return m_records; }
    // Rows that could not be used (bad port numbers), for the build log.
    const QStringList &warnings() const { return m_warnings; }

    // Breaks text into lines of at most width characters at blanks;
    // continuation lines start with indent blanks.
    static QString wrap(const QString &text, int width, int indent = 0);

private:
    QMap<int, PortDatabaseWriter::Record> m_records;
    QStringList m_warnings;
};

} // namespace wv::portdbgen
