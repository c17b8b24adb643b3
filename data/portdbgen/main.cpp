// Builds the port database from the service-name registry and our notes.
// Usage: portdbgen REGISTRY.csv NOTES.txt OUTPUT.qpd

#include "data/portdbgen/Csv.h"
#include "data/portdbgen/PortDataBuilder.h"
#include "data/portdbgen/PortNotes.h"
#include "monitor/portdb/PortDatabaseWriter.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace wv;
using namespace wv::portdbgen;

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "portdbgen: %s\n", qPrintable(message));
    return 1;
}

bool readAll(const QString &path, QByteArray &bytes, QString &error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    bytes = f.readAll();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return fail(QStringLiteral("usage: portdbgen REGISTRY.csv NOTES.txt OUTPUT.qpd"));
    const QString csvPath = QString::fromLocal8Bit(argv[1]);
    const QString notesPath = QString::fromLocal8Bit(argv[2]);
    const QString outPath = QString::fromLocal8Bit(argv[3]);

    QString error;
    QByteArray csvText, notesText;
    if (!readAll(csvPath, csvText, error) || !readAll(notesPath, notesText, error))
        return fail(error);
    QList<QStringList> csv;
    if (!parseCsv(csvText, csv, &error))
        return fail(csvPath + QStringLiteral(": ") + error);
    QList<PortNote> notes;
    if (!parsePortNotes(notesText, notes, &error))
        return fail(notesPath + QStringLiteral(": ") + error);

    PortDataBuilder builder;
    if (!builder.build(csv, notes, &error))
        return fail(csvPath + QStringLiteral(": ") + error);
    for (const QString &w : builder.warnings())
        std::fprintf(stderr, "portdbgen: warning: %s\n", qPrintable(w));

    PortDatabaseWriter writer;
    for (auto it = builder.records().cbegin(); it != builder.records().cend(); ++it)
        if (!writer.add(it.key(), it.value()))
            return fail(QStringLiteral("port %1: record cannot be stored").arg(it.key()));
    if (!writer.writeFile(outPath, &error))
        return fail(outPath + QStringLiteral(": ") + error);

    std::printf("%s: %lld bytes, %d ports with records\n",
                qPrintable(QFileInfo(outPath).fileName()), QFileInfo(outPath).size(),
                writer.count());
    return 0;
}
