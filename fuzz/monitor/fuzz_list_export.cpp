// Arbitrary cells through every export format; each result must parse as
// what it claims to be and keep the table's shape.
#include "monitor/ListExporter.h"
#include "tests/monitor/ExportReaders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1,
                         static_cast<qsizetype>(size - 1));
    // The first byte picks the decoding: UTF-8 text, or raw UTF-16 units
    // (which may hold unpaired surrogates, as a QString can).
    const QString text =
        (data[0] & 1) ? QString(reinterpret_cast<const QChar *>(raw.constData()), raw.size() / 2)
                      : QString::fromUtf8(raw);
    wv::ListExporter::Table t;
    t.title = text.left(40);
    const QStringList lines = text.split(QChar(0x1E));
    qsizetype width = 0;
    for (const QString &line : lines) {
        t.rows.append(line.split(QChar(0x1F)));
        width = qMax(width, t.rows.last().size());
    }
    for (QStringList &r : t.rows) {
        while (r.size() < width)
            r.append(QString());
    }
    for (qsizetype c = 0; c < width; ++c)
        t.headers.append(QStringLiteral("c%1").arg(c));
    const qsizetype rows = t.rows.size() + 1;

    bool ok = false;
    auto check = [&](const QList<QStringList> &got) {
        if (!ok || got.size() != rows)
            __builtin_trap();
        for (const QStringList &r : got) {
            if (r.size() != width)
                __builtin_trap();
        }
    };
    using F = wv::ListExporter::Format;
    check(wv::test::readSpreadsheetXml(wv::ListExporter::render(F::Excel, t), &ok));
    check(wv::test::readHtmlTable(wv::ListExporter::render(F::Html, t), &ok));
    check(wv::test::readRtfTable(wv::ListExporter::render(F::Word, t), &ok));
    const auto csv = wv::test::readCsv(wv::ListExporter::render(F::Csv, t), &ok);
    check(csv);
    for (qsizetype r = 0; r < t.rows.size(); ++r) {
        for (qsizetype c = 0; c < width; ++c) {
            // Through UTF-8 and back, as the file holds it; the leading "x"
            // keeps fromUtf8 from taking a U+FEFF cell start for a BOM.
            const QString cell = wv::ListExporter::neutraliseFormula(t.rows[r][c]);
            const QString stored = QString::fromUtf8((QLatin1Char('x') + cell).toUtf8()).mid(1);
            if (csv[r + 1][c] != stored)
                __builtin_trap();
        }
    }
    const QByteArray plain = wv::ListExporter::render(F::Text, t);
    if (plain.count('\n') != rows)
        __builtin_trap();
    return 0;
}
