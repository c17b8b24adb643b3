#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace wv {

// Builds a complete portdb.qpd image: the magic, the full 65,536-entry index
// and the records in ascending port order. The same records always give the
// same bytes.
class PortDatabaseWriter
{
public:
    struct Record
    {
        QString name;
        QString text2;
        QString text3;
        QString text4;
    };

    // Adds or replaces the record of a port (0..65535); returns false for a
    // port outside that range or a text holding a NUL character.
    bool add(int port, const Record &record);
    int count() const { return static_cast<int>(m_records.size()); }

    QByteArray toBytes() const;
    // Writes the image to a temporary file beside path and renames it over
    // path. On failure returns false and sets error.
    bool writeFile(const QString &path, QString *error = nullptr) const;

private:
    QMap<int, Record> m_records;
};

} // namespace wv
