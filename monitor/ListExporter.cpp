#include "monitor/ListExporter.h"

#include "settings/AtomicFile.h"

#include <QAbstractItemModel>

namespace wv {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// The code points of a text, with unpaired surrogates replaced.
QList<char32_t> codePoints(const QString &s)
{
    QList<char32_t> out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            out.append(QChar::surrogateToUcs4(c, s.at(i + 1)));
            ++i;
        } else if (c.isSurrogate()) {
            out.append(Replacement);
        } else {
            out.append(c.unicode());
        }
    }
    return out;
}

void appendCodePoint(QString &out, char32_t cp)
{
    if (QChar::requiresSurrogates(cp)) {
        out += QChar(QChar::highSurrogate(cp));
        out += QChar(QChar::lowSurrogate(cp));
    } else {
        out += QChar(char16_t(cp));
    }
}

// Characters XML 1.0 does not allow at all, even escaped.
bool xmlForbidden(char32_t cp)
{
    if (cp < 0x20)
        return cp != 0x9 && cp != 0xA && cp != 0xD;
    return cp == 0xFFFE || cp == 0xFFFF || (cp >= 0xD800 && cp <= 0xDFFF);
}

QString escapeMarkup(const QString &s, bool html)
{
    QString out;
    out.reserve(s.size() + 8);
    for (const char32_t cp : codePoints(s)) {
        switch (cp) {
        case '&':
            out += QLatin1String("&amp;");
            continue;
        case '<':
            out += QLatin1String("&lt;");
            continue;
        case '>':
            out += QLatin1String("&gt;");
            continue;
        case '"':
            out += QLatin1String("&quot;");
            continue;
        case '\'':
            out += QLatin1String("&#39;");
            continue;
        case '\r':
            // A lone CR would be read back as a line feed; keep it literal.
            out += html ? QLatin1String("") : QLatin1String("&#13;");
            continue;
        case '\n':
            out += html ? QLatin1String("<br />") : QLatin1String("&#10;");
            continue;
        case '\t':
            out += html ? QLatin1String("\t") : QLatin1String("&#9;");
            continue;
        default:
            break;
        }
        appendCodePoint(out, xmlForbidden(cp) || cp == 0x7F ? Replacement : cp);
    }
    return out;
}

// Line structure of the plain text: one line per row, cells apart by tabs.
QString flattenCell(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (const char32_t cp : codePoints(s))
        appendCodePoint(out, cp < 0x20 || cp == 0x7F ? char32_t(' ') : cp);
    return out;
}

QString csvField(const QString &cell)
{
    const QString s = ListExporter::neutraliseFormula(cell);
    if (s.contains(QLatin1Char(',')) || s.contains(QLatin1Char('"')) ||
        s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'))) {
        QString quoted = s;
        quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return s;
}

QByteArray rtfText(const QString &s)
{
    QByteArray out;
    out.reserve(s.size() + 8);
    for (const char32_t cp : codePoints(s)) {
        if (cp == '\\' || cp == '{' || cp == '}') {
            out += '\\';
            out += char(cp);
        } else if (cp == '\n') {
            out += "\\line ";
        } else if (cp == '\t') {
            out += "\\tab ";
        } else if (cp < 0x20 || cp == 0x7F) {
            // CR (part of a CRLF pair) and other controls carry no text.
            continue;
        } else if (cp < 0x80) {
            out += char(cp);
        } else {
            // \uN takes a signed 16-bit unit; "?" is what readers without
            // Unicode show instead (\uc1).
            QString units;
            appendCodePoint(units, cp);
            for (const QChar u : units)
                out += "\\u" + QByteArray::number(qint16(u.unicode())) + '?';
        }
    }
    return out;
}

} // namespace

QStringList ListExporter::nameFilters()
{
    return {QStringLiteral("Text file (*.txt)"), QStringLiteral("HTML (*.htm)"),
            QStringLiteral("Microsoft Word Document (*.doc)"),
            QStringLiteral("Microsoft Excel file (*.xls)"),
            QStringLiteral("Comma seperated value (*.csv)")};
}

std::optional<ListExporter::Format> ListExporter::formatForFilterIndex(int index)
{
    if (index < 1 || index > 5)
        return std::nullopt;
    return Format(index);
}

std::optional<ListExporter::Format> ListExporter::formatForFilter(const QString &filter)
{
    const qsizetype i = nameFilters().indexOf(filter);
    return i < 0 ? std::nullopt : formatForFilterIndex(int(i) + 1);
}

QString ListExporter::extension(Format format)
{
    switch (format) {
    case Format::Text:
        return QStringLiteral("txt");
    case Format::Html:
        return QStringLiteral("htm");
    case Format::Word:
        return QStringLiteral("doc");
    case Format::Excel:
        return QStringLiteral("xls");
    case Format::Csv:
        return QStringLiteral("csv");
    }
    return {};
}

QString ListExporter::neutraliseFormula(const QString &cell)
{
    if (!cell.isEmpty()) {
        switch (cell.at(0).unicode()) {
        case '=':
        case '+':
        case '-':
        case '@':
        case '\t':
        case '\r':
            return QLatin1Char('\'') + cell;
        }
    }
    return cell;
}

ListExporter::Table ListExporter::fromModel(const QAbstractItemModel &model, const QString &title)
{
    Table t;
    t.title = title;
    const int columns = model.columnCount();
    for (int c = 0; c < columns; ++c)
        t.headers.append(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    const int rows = model.rowCount();
    t.rows.reserve(rows);
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        cells.reserve(columns);
        for (int c = 0; c < columns; ++c)
            cells.append(model.data(model.index(r, c), Qt::DisplayRole).toString());
        t.rows.append(cells);
    }
    return t;
}

QByteArray ListExporter::render(Format format, const Table &table, const QString &htmlHeader)
{
    switch (format) {
    case Format::Text:
        return text(table);
    case Format::Html:
        return html(table, htmlHeader);
    case Format::Word:
        return rtf(table);
    case Format::Excel:
        return spreadsheet(table);
    case Format::Csv:
        return csv(table);
    }
    return {};
}

bool ListExporter::save(const QString &path, Format format, const Table &table, QString *error,
                        const QString &htmlHeader)
{
    QString reason;
    bool createFailed = false;
    if (writeFileAtomically(path, render(format, table, htmlHeader), &reason, &createFailed))
        return true;
    if (error)
        *error = (createFailed ? QStringLiteral("Cannot create %1: %2")
                               : QStringLiteral("Cannot write %1: %2"))
                     .arg(path, reason);
    return false;
}

QByteArray ListExporter::text(const Table &table)
{
    QString out;
    auto line = [&out](const QStringList &cells) {
        QStringList flat;
        for (const QString &c : cells)
            flat.append(flattenCell(c));
        out += flat.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    line(table.headers);
    for (const QStringList &r : table.rows)
        line(r);
    return out.toUtf8();
}

QByteArray ListExporter::html(const Table &table, const QString &header)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n"
                                 "<title>%1</title>\n"
                                 // Spreadsheets that open the page keep cells as text.
                                 "<style>td, th { mso-number-format: \"\\@\"; }</style>\n"
                                 "</head>\n<body>\n")
                      .arg(escapeMarkup(table.title, true));
    if (!header.isEmpty())
        out += header + QLatin1Char('\n');
    out += QStringLiteral("<font size=\"2\">\n<table border=\"1\" width=\"100%\">\n<tr>");
    for (const QString &h : table.headers)
        out += QStringLiteral("<th>") + escapeMarkup(h, true) + QStringLiteral("</th>");
    out += QStringLiteral("</tr>\n");
    for (const QStringList &r : table.rows) {
        out += QStringLiteral("<tr>");
        for (const QString &c : r)
            out += QStringLiteral("<td>") + escapeMarkup(c, true) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</table>\n</font>\n</body>\n</html>\n");
    return out.toUtf8();
}

QByteArray ListExporter::rtf(const Table &table)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\n";
    qsizetype columns = table.headers.size();
    for (const QStringList &r : table.rows)
        columns = qMax(columns, r.size());
    // An equal share of a 9000-twip line per column.
    const int width = columns > 0 ? int(9000 / columns) : 9000;
    auto row = [&](const QStringList &cells, bool bold) {
        out += "\\trowd\\trgaph70";
        for (qsizetype c = 0; c < columns; ++c)
            out += "\\clbrdrt\\brdrs\\clbrdrl\\brdrs\\clbrdrb\\brdrs\\clbrdrr\\brdrs\\cellx" +
                   QByteArray::number((c + 1) * width);
        out += '\n';
        for (qsizetype c = 0; c < columns; ++c) {
            out += "\\pard\\intbl";
            out += bold ? "{\\b " : "{";
            out += rtfText(c < cells.size() ? cells.at(c) : QString());
            out += "}\\cell\n";
        }
        out += "\\row\n";
    };
    if (columns > 0) {
        row(table.headers, true);
        for (const QStringList &r : table.rows)
            row(r, false);
    }
    out += "\\pard\\par\n}\n";
    return out;
}

QByteArray ListExporter::spreadsheet(const Table &table)
{
    // A worksheet name may not hold []:*?/\ and has at most 31 characters.
    QString sheet;
    for (const QChar c : table.title) {
        if (!QStringLiteral("[]:*?/\\").contains(c) && c.unicode() >= 0x20 && !c.isSurrogate())
            sheet += c;
    }
    sheet = sheet.left(31).trimmed();
    if (sheet.isEmpty())
        sheet = QStringLiteral("Sheet1");

    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<?mso-application progid=\"Excel.Sheet\"?>\n"
        "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
        " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\n"
        " xmlns:x=\"urn:schemas-microsoft-com:office:excel\"\n"
        " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
        " xmlns:html=\"http://www.w3.org/TR/REC-html40\">\n"
        " <Styles>\n"
        "  <Style ss:ID=\"Default\" ss:Name=\"Normal\"><Alignment "
        "ss:Vertical=\"Bottom\"/></Style>\n"
        "  <Style ss:ID=\"Header\"><Font ss:Bold=\"1\"/></Style>\n"
        "  <Style ss:ID=\"Wrap\"><Alignment ss:Vertical=\"Top\" ss:WrapText=\"1\"/></Style>\n"
        " </Styles>\n");
    out +=
        QStringLiteral(" <Worksheet ss:Name=\"%1\">\n  <Table>\n").arg(escapeMarkup(sheet, false));
    // Every cell is a string: a value typed String is never evaluated.
    auto row = [&out](const QStringList &cells, bool header) {
        out += QStringLiteral("   <Row>");
        for (const QString &c : cells) {
            const bool wrap = c.contains(QLatin1Char('\n'));
            out += header ? QStringLiteral("<Cell ss:StyleID=\"Header\">")
                   : wrap ? QStringLiteral("<Cell ss:StyleID=\"Wrap\">")
                          : QStringLiteral("<Cell>");
            out += QStringLiteral("<Data ss:Type=\"String\">") + escapeMarkup(c, false) +
                   QStringLiteral("</Data></Cell>");
        }
        out += QStringLiteral("</Row>\n");
    };
    row(table.headers, true);
    for (const QStringList &r : table.rows)
        row(r, false);
    out += QStringLiteral("  </Table>\n </Worksheet>\n</Workbook>\n");
    return out.toUtf8();
}

QByteArray ListExporter::csv(const Table &table)
{
    // The byte-order mark tells spreadsheets the file is UTF-8.
    QString out = QString(QChar(0xFEFF));
    auto line = [&out](const QStringList &cells) {
        QStringList fields;
        for (const QString &c : cells)
            fields.append(csvField(c));
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    line(table.headers);
    for (const QStringList &r : table.rows)
        line(r);
    return out.toUtf8();
}

} // namespace wv
