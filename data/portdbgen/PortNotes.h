#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace wv::portdbgen {

// Our own words on well-known ports, kept as a text file:
//
//   # a comment
//   = 22
//   First paragraph, any number of lines.
//
//   Second paragraph.
//   = 31337 back-orifice | Name and description for a port with no
//   registered service
//
// An entry starts with "= PORT" or "= FIRST-LAST". A name after it picks
// that service as the port's main one where the registry lists several;
// for a port the registry names no service, the name and the description
// make the record.
struct PortNote
{
    int first = 0;
    int last = 0;
    QString name;
    QString description;
    QStringList paragraphs;
};

bool parsePortNotes(const QByteArray &text, QList<PortNote> &notes, QString *error = nullptr);

} // namespace wv::portdbgen
