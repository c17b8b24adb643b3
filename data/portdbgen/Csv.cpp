#include "data/portdbgen/Csv.h"

namespace wv::portdbgen {

bool parseCsv(const QByteArray &bytes, QList<QStringList> &rows, QString *error)
{
    const QString text = QString::fromUtf8(bytes);
    rows.clear();
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    int quoteLine = 0;
    auto endField = [&] {
        row << field;
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        rows << row;
        row.clear();
    };

    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                // A CRLF inside a field is one line break.
                if (!(c == QLatin1Char('\r') && i + 1 < text.size() &&
                      text.at(i + 1) == QLatin1Char('\n')))
                    field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++line;
            endRow();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        if (error)
            *error = QStringLiteral("line %1: quoted field is not closed").arg(quoteLine);
        return false;
    }
    if (fieldStarted || !row.isEmpty())
        endRow();
    return true;
}

} // namespace wv::portdbgen
