#include "data/portdbgen/PortDataBuilder.h"

#include <QRegularExpression>

namespace wv::portdbgen {

namespace {

struct Row
{
    QString name;
    QString ports; // as written, "80" or "6000-6063"
    QString protocol;
    QString description;
    QString assignee;
    QString registered;
    QString modified;
    QString reference;
    QString unauthorized;
    QString notes;
};

QString simplified(const QString &text)
{
    return text.simplified();
}

// The registry's notes are indented, hand-broken text that often lists
// keys or items one per line: keep the lines, drop the indentation.
QString noteLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString l = line.simplified();
        if (!l.isEmpty())
            lines << l;
    }
    return lines.join(QLatin1Char('\n'));
}

bool isAliasOrDuplicate(const QString &notes)
{
    return notes.contains(QLatin1String("alias to"), Qt::CaseInsensitive) ||
           notes.contains(QLatin1String("duplicate of"), Qt::CaseInsensitive);
}

// "[Jon_Postel][IESG]" -> "Jon Postel, IESG"; registry handles carry a
// numeric suffix when two people share a name ("Sean_D_Solle_2").
QString people(const QString &field)
{
    static const QRegularExpression bracket(QStringLiteral(R"(\[([^\]]*)\])"));
    static const QRegularExpression suffix(QStringLiteral(R"(_\d+$)"));
    QStringList names;
    auto it = bracket.globalMatch(field);
    bool any = false;
    while (it.hasNext()) {
        any = true;
        QString name = it.next().captured(1).trimmed();
        name.remove(suffix);
        name.replace(QLatin1Char('_'), QLatin1Char(' '));
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    if (!any && !field.trimmed().isEmpty())
        names << simplified(field);
    return names.join(QStringLiteral(", "));
}

// "[RFC959][RFC9260]" -> {"RFC 959", "RFC 9260"}; other references are kept
// as written, bare footnote numbers dropped.
QStringList references(const QString &field)
{
    static const QRegularExpression bracket(QStringLiteral(R"(\[([^\]]*)\])"));
    static const QRegularExpression rfc(QStringLiteral(R"(^RFC\s*(\d+)$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression number(QStringLiteral(R"(^\d+$)"));
    QStringList refs;
    auto it = bracket.globalMatch(field);
    while (it.hasNext()) {
        const QString ref = simplified(it.next().captured(1));
        const QRegularExpressionMatch m = rfc.match(ref);
        if (m.hasMatch())
            refs << QStringLiteral("RFC ") + m.captured(1);
        else if (!ref.isEmpty() && !number.match(ref).hasMatch() &&
                 ref.compare(QLatin1String("n/a"), Qt::CaseInsensitive) != 0)
            refs << ref;
    }
    return refs;
}

bool parsePorts(const QString &field, int &first, int &last)
{
    const QStringList parts = field.trimmed().split(QLatin1Char('-'));
    if (parts.size() > 2)
        return false;
    bool ok1 = false, ok2 = false;
    first = parts.first().toInt(&ok1);
    last = parts.size() == 2 ? parts.last().toInt(&ok2) : first;
    if (parts.size() == 1)
        ok2 = true;
    return ok1 && ok2 && first >= 0 && first <= last && last <= 65535;
}

// One value per distinct text; when the rows disagree (or only some have
// a value), each value is followed by the protocols it belongs to.
QString perProtocol(const QList<const Row *> &rows, const std::function<QString(const Row &)> &get)
{
    QStringList values;
    QList<QStringList> protocols;
    bool someEmpty = false;
    for (const Row *r : rows) {
        const QString v = get(*r);
        if (v.isEmpty()) {
            someEmpty = true;
            continue;
        }
        qsizetype i = values.indexOf(v);
        if (i < 0) {
            values << v;
            protocols << QStringList();
            i = values.size() - 1;
        }
        if (!r->protocol.isEmpty() && !protocols[i].contains(r->protocol))
            protocols[i] << r->protocol;
    }
    // A value that only some protocols carry is marked as theirs, too.
    if (values.isEmpty() || (values.size() == 1 && !someEmpty))
        return values.value(0);
    QStringList parts;
    for (qsizetype i = 0; i < values.size(); ++i)
        parts << (protocols[i].isEmpty() ? values[i]
                                         : QStringLiteral("%1 (%2)").arg(
                                               values[i], protocols[i].join(QStringLiteral(", "))));
    return parts.join(QStringLiteral("; "));
}

QString column(const QStringList &row, qsizetype index)
{
    return index >= 0 && index < row.size() ? row.at(index) : QString();
}

} // namespace

QString PortDataBuilder::wrap(const QString &text, int width, int indent)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList lines;
    QString line;
    for (const QString &word : words) {
        const int limit = lines.isEmpty() ? width : width - indent;
        if (!line.isEmpty() && line.size() + 1 + word.size() > limit) {
            lines << line;
            line.clear();
        }
        if (!line.isEmpty())
            line += QLatin1Char(' ');
        line += word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines.join(QLatin1Char('\n') + QString(indent, QLatin1Char(' ')));
}

bool PortDataBuilder::build(const QList<QStringList> &csv, const QList<PortNote> &notes,
                            QString *error)
{
    m_records.clear();
    m_warnings.clear();
    if (csv.isEmpty()) {
        if (error)
            *error = QStringLiteral("the registry is empty");
        return false;
    }
    const QStringList head = csv.first();
    const char *names[] = {"Service Name",      "Port Number", "Transport Protocol",
                           "Description",       "Assignee",    "Registration Date",
                           "Modification Date", "Reference",   "Unauthorized Use Reported",
                           "Assignment Notes"};
    qsizetype col[10];
    for (int i = 0; i < 10; ++i) {
        col[i] = head.indexOf(QString::fromLatin1(names[i]));
        if (col[i] < 0) {
            if (error)
                *error = QStringLiteral("the registry has no column \"%1\"")
                             .arg(QString::fromLatin1(names[i]));
            return false;
        }
    }

    // Registry rows in file order, per port.
    QList<Row> rows;
    rows.reserve(csv.size());
    for (qsizetype n = 1; n < csv.size(); ++n) {
        const QStringList &c = csv.at(n);
        Row r{c.value(col[0]).trimmed(),
              column(c, col[1]).trimmed(),
              column(c, col[2]).trimmed().toLower(),
              simplified(column(c, col[3])),
              people(column(c, col[4])),
              column(c, col[5]).trimmed(),
              column(c, col[6]).trimmed(),
              column(c, col[7]),
              simplified(column(c, col[8])),
              noteLines(column(c, col[9]))};
        if (r.name.isEmpty() || r.ports.isEmpty() || isAliasOrDuplicate(r.notes))
            continue;
        rows << r;
    }
    QMap<int, QList<const Row *>> byPort;
    for (const Row &r : rows) {
        int first = 0, last = 0;
        if (!parsePorts(r.ports, first, last)) {
            m_warnings << QStringLiteral("%1: bad port number \"%2\"").arg(r.name, r.ports);
            continue;
        }
        for (int p = first; p <= last; ++p)
            byPort[p] << &r;
    }
    QMap<int, const PortNote *> noteFor;
    for (const PortNote &note : notes)
        for (int p = note.first; p <= note.last; ++p)
            noteFor.insert(p, &note);

    QList<int> ports = byPort.keys();
    for (auto it = noteFor.cbegin(); it != noteFor.cend(); ++it) {
        if (byPort.contains(it.key()))
            continue;
        if (it.value()->name.isEmpty())
            m_warnings << QStringLiteral("port %1: no registered service and no name in the notes")
                              .arg(it.key());
        else
            ports << it.key();
    }
    std::sort(ports.begin(), ports.end());

    for (int port : ports) {
        const QList<const Row *> all = byPort.value(port);
        const PortNote *note = noteFor.value(port);
        PortDatabaseWriter::Record rec;
        QStringList text4;
        if (note)
            for (const QString &p : note->paragraphs)
                text4 << wrap(p, kWrapWidth);

        if (all.isEmpty()) {
            rec.name = note->name;
            rec.text3 = note->description;
            text4 << QStringLiteral("No service is registered for this port.");
            rec.text4 = text4.join(QStringLiteral("\n\n"));
            m_records.insert(port, rec);
            continue;
        }

        // The registry lists a port's services in the order they were
        // assigned; our notes may name the one that is known best.
        QString mainName = all.first()->name;
        if (note && !note->name.isEmpty())
            for (const Row *r : all)
                if (r->name == note->name)
                    mainName = note->name;
        QList<const Row *> main;
        QList<const Row *> others;
        QStringList protocols;
        for (const Row *r : all)
            (r->name == mainName ? main : others) << r;
        for (const Row *r : main)
            if (!r->protocol.isEmpty() && !protocols.contains(r->protocol))
                protocols << r->protocol;
        rec.name = mainName;
        rec.text2 = protocols.join(QStringLiteral(", "));
        rec.text3 = main.first()->description;
        // Renamed services carry the old name inside their description.
        static const QRegularExpression renamed(QStringLiteral(
            R"re(\s*IANA assigned this well-formed service name as a replacement for "([^"]*)"\.?)re"));
        QString formerName;
        if (const QRegularExpressionMatch m = renamed.match(rec.text3); m.hasMatch()) {
            formerName = m.captured(1);
            rec.text3.remove(m.capturedStart(), m.capturedLength());
        }

        QStringList facts;
        auto fact = [&](const QString &label, const QString &value) {
            if (value.isEmpty())
                return;
            // Each line of a value is wrapped by itself; all lines after the
            // label's own are indented.
            QStringList lines = value.split(QLatin1Char('\n'));
            lines.first().prepend(label + QStringLiteral(": "));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                const QString indent = i == 0 ? QString() : QStringLiteral("  ");
                facts << indent +
                             wrap(lines.at(i), kWrapWidth - static_cast<int>(indent.size()), 2);
            }
        };
        fact(QStringLiteral("Protocols"), rec.text2);
        fact(QStringLiteral("Formerly named"), formerName);
        const QString range = main.first()->ports;
        if (range.contains(QLatin1Char('-')))
            fact(QStringLiteral("Port range"), range);
        fact(QStringLiteral("Assignee"),
             perProtocol(main, [](const Row &r) { return r.assignee; }));
        fact(QStringLiteral("Registered"),
             perProtocol(main, [](const Row &r) { return r.registered; }));
        fact(QStringLiteral("Last changed"),
             perProtocol(main, [](const Row &r) { return r.modified; }));
        QStringList refs;
        for (const Row *r : main)
            for (const QString &ref : references(r->reference))
                if (!refs.contains(ref))
                    refs << ref;
        fact(QStringLiteral("References"), refs.join(QStringLiteral(", ")));
        fact(QStringLiteral("Unauthorized use reported"),
             perProtocol(main, [](const Row &r) { return r.unauthorized; }));
        fact(QStringLiteral("Notes"), perProtocol(main, [](const Row &r) { return r.notes; }));

        // Other services registered on the same port, one line each.
        QStringList otherNames;
        for (const Row *r : others)
            if (!otherNames.contains(r->name))
                otherNames << r->name;
        for (const QString &name : otherNames) {
            QList<const Row *> rowsOf;
            for (const Row *r : others)
                if (r->name == name)
                    rowsOf << r;
            QStringList protos;
            for (const Row *r : rowsOf)
                if (!r->protocol.isEmpty() && !protos.contains(r->protocol))
                    protos << r->protocol;
            QString line = QStringLiteral("Also registered: ") + name;
            if (!protos.isEmpty())
                line += QStringLiteral(" (%1)").arg(protos.join(QStringLiteral(", ")));
            QString description = rowsOf.first()->description;
            description.remove(renamed);
            if (!description.isEmpty() && description.compare(name, Qt::CaseInsensitive) != 0)
                line += QStringLiteral(", ") + description;
            facts << wrap(line, kWrapWidth, 2);
        }
        text4 << facts.join(QLatin1Char('\n'));
        rec.text4 = text4.join(QStringLiteral("\n\n"));
        m_records.insert(port, rec);
    }
    return true;
}

} // namespace wv::portdbgen
