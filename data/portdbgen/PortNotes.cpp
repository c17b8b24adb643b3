#include "data/portdbgen/PortNotes.h"

#include <QRegularExpression>

namespace wv::portdbgen {

bool parsePortNotes(const QByteArray &bytes, QList<PortNote> &notes, QString *error)
{
    static const QRegularExpression header(
        QStringLiteral(R"(^=\s*(\d+)(?:-(\d+))?(?:\s+([^|\s]+))?(?:\s*\|\s*(.*))?\s*$)"));
    notes.clear();
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    QString paragraph;
    auto endParagraph = [&] {
        if (!paragraph.isEmpty() && !notes.isEmpty())
            notes.last().paragraphs << paragraph;
        paragraph.clear();
    };
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('='))) {
            endParagraph();
            const QRegularExpressionMatch m = header.match(line);
            PortNote note;
            bool ok = m.hasMatch();
            if (ok) {
                note.first = m.captured(1).toInt(&ok);
                note.last = m.captured(2).isEmpty() ? note.first : m.captured(2).toInt(&ok);
                ok = ok && note.first <= note.last && note.last <= 65535;
            }
            if (!ok) {
                if (error)
                    *error = QStringLiteral("line %1: bad entry \"%2\"").arg(n + 1).arg(line);
                return false;
            }
            note.name = m.captured(3);
            note.description = m.captured(4).trimmed();
            notes << note;
            continue;
        }
        if (line.isEmpty()) {
            endParagraph();
            continue;
        }
        if (notes.isEmpty()) {
            if (error)
                *error = QStringLiteral("line %1: text before the first entry").arg(n + 1);
            return false;
        }
        if (!paragraph.isEmpty())
            paragraph += QLatin1Char(' ');
        paragraph += line;
    }
    endParagraph();
    return true;
}

} // namespace wv::portdbgen
