#include "tests/monitor/ExportReaders.h"

#include <QXmlStreamReader>

#include <cctype>

namespace wv::test {

QList<QStringList> readCsv(const QByteArray &bytes, bool *ok)
{
    *ok = true;
    QString s = QString::fromUtf8(bytes);
    if (s.startsWith(QChar(0xFEFF)))
        s.remove(0, 1);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, inQuotes = false, afterQuote = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                    afterQuote = true;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
            quoted = afterQuote = false;
        } else if (c == QLatin1Char('\r') && i + 1 < s.size() && s.at(i + 1) == QLatin1Char('\n')) {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            quoted = afterQuote = false;
            ++i;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (afterQuote || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
                   c == QLatin1Char('\r')) {
            *ok = false; // text after a closing quote, a bare quote or line break
        } else {
            field += c;
        }
    }
    if (inQuotes || !field.isEmpty() || !row.isEmpty())
        *ok = false; // every record ends with CRLF
    return rows;
}

QList<QStringList> readSpreadsheetXml(const QByteArray &bytes, bool *ok)
{
    QXmlStreamReader xml(bytes);
    QList<QStringList> rows;
    const QString ns = QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet");
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.namespaceUri() != ns)
            continue;
        if (xml.name() == QLatin1String("Row")) {
            rows.append(QStringList());
        } else if (xml.name() == QLatin1String("Data") && !rows.isEmpty()) {
            if (xml.attributes().value(ns, QStringLiteral("Type")) != QLatin1String("String"))
                break;
            rows.last().append(xml.readElementText());
        }
    }
    *ok = !xml.hasError();
    return rows;
}

QList<QStringList> readHtmlTable(const QByteArray &bytes, bool *ok)
{
    // The export is XHTML-compatible, so an XML reader checks it strictly.
    QByteArray doc = bytes;
    doc.replace("<!DOCTYPE html>", "");
    QXmlStreamReader xml(doc);
    QList<QStringList> rows;
    QString cell;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("tr"))
                rows.append(QStringList());
            else if (xml.name() == QLatin1String("td") || xml.name() == QLatin1String("th"))
                inCell = true, cell.clear();
            else if (xml.name() == QLatin1String("br") && inCell)
                cell += QLatin1Char('\n');
            else if (inCell)
                break; // markup inside a cell means a cell's text became markup
        } else if (xml.isCharacters() && inCell) {
            cell += xml.text();
        } else if (xml.isEndElement() &&
                   (xml.name() == QLatin1String("td") || xml.name() == QLatin1String("th"))) {
            rows.last().append(cell);
            inCell = false;
        }
    }
    *ok = !xml.hasError() && !inCell;
    return rows;
}

QList<QStringList> readRtfTable(const QByteArray &bytes, bool *ok)
{
    *ok = bytes.startsWith("{\\rtf1");
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    int depth = 0, skip = 0;
    for (qsizetype i = 0; i < bytes.size() && *ok; ++i) {
        const char c = bytes.at(i);
        if (skip > 0 && c != '\\' && c != '{' && c != '}') {
            --skip; // the fallback character after \uN
            continue;
        }
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0)
                *ok = false;
        } else if (c == '\\') {
            if (++i >= bytes.size()) {
                *ok = false;
                break;
            }
            const char n = bytes.at(i);
            if (n == '\\' || n == '{' || n == '}') {
                skip = 0;
                cell += QLatin1Char(n);
                continue;
            }
            QByteArray word;
            while (i < bytes.size() && std::isalpha(static_cast<unsigned char>(bytes.at(i))))
                word += bytes.at(i++);
            QByteArray number;
            if (i < bytes.size() && bytes.at(i) == '-')
                number += bytes.at(i++);
            while (i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes.at(i))))
                number += bytes.at(i++);
            if (i < bytes.size() && bytes.at(i) != ' ')
                --i; // the delimiter belongs to the text
            if (word == "u") {
                cell += QChar(char16_t(number.toShort()));
                skip = 1;
            } else if (word == "line") {
                cell += QLatin1Char('\n');
            } else if (word == "tab") {
                cell += QLatin1Char('\t');
            } else if (word == "cell") {
                row.append(cell);
                cell.clear();
            } else if (word == "row") {
                rows.append(row);
                row.clear();
            } else if (word == "fonttbl") {
                // Skip the font table group.
                int d = 1;
                while (++i < bytes.size() && d > 0)
                    d += bytes.at(i) == '{' ? 1 : bytes.at(i) == '}' ? -1 : 0;
                --i;
                --depth;
            } else if (word.isEmpty()) {
                *ok = false;
            }
        } else if (c == '\n' || c == '\r') {
            continue;
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            *ok = false; // RTF is 7-bit
        } else {
            cell += QLatin1Char(c);
        }
    }
    if (depth != 0)
        *ok = false;
    return rows;
}

} // namespace wv::test
