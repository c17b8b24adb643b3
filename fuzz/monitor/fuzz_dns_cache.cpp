// Arbitrary bytes as the DNS cache and the recognized-names file: the cache
// editor loads, edits and saves them, the names are matched against them.
// What is saved must read back, and the "created" stamp must survive.
#include "monitor/CacheEditorModel.h"
#include "monitor/DnsCache.h"
#include "monitor/FriendlyNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_dns_cache";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;

    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString cachePath = dir.filePath(QStringLiteral("wvncache.ini"));
    writeBytes(cachePath, input);

    wv::DnsCache cache(cachePath);
    const QString created = cache.created();
    wv::CacheEditorModel model(cache);
    model.load();
    if (model.rowCount() < 5 && model.entryCount() == 0)
        __builtin_trap();
    if (model.rowCount() > 0) {
        model.deleteEntry(0);
        model.setData(model.index(model.rowCount() - 1, 2), QStringLiteral("edited.example"),
                      Qt::EditRole);
    }
    const int first = model.addFiveEntries();
    model.setData(model.index(first, 1), QStringLiteral("192.0.2.1"), Qt::EditRole);
    model.setData(model.index(first, 2), QStringLiteral("added.example"), Qt::EditRole);

    QVector<std::pair<QString, QString>> expected;
    for (int r = 0; r < model.rowCount(); ++r) {
        const QString a = model.index(r, 1).data().toString().trimmed();
        const QString h = model.index(r, 2).data().toString().trimmed();
        if (!a.isEmpty() && !h.isEmpty() && wv::DnsCache::usableKey(a))
            expected.append({a, h});
    }
    if (!model.save())
        __builtin_trap();

    wv::DnsCache again(cachePath);
    if (again.created() != created)
        __builtin_trap();
    for (const auto &[address, host] : expected) {
        // Duplicate keys collapse onto one entry; the value is one of theirs.
        if (again.lookup(address).isEmpty())
            __builtin_trap();
        (void)host;
    }
    if (again.lookup(QStringLiteral("192.0.2.1")) != QLatin1String("added.example"))
        __builtin_trap();

    const QString namesPath = dir.filePath(QStringLiteral("wvnfnames.ini"));
    writeBytes(namesPath, input);
    wv::FriendlyNames names(namesPath);
    const QString n =
        names.GetFriendlyName(QStringLiteral("host.example.org"), QStringLiteral("10.0.0.15"));
    if (n.isNull())
        __builtin_trap();
    const auto entries = names.entries();
    if (entries.size() != names.file().readSection(wv::FriendlyNames::HostSection).size())
        __builtin_trap();
    return 0;
}
