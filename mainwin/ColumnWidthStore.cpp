#include "mainwin/ColumnWidthStore.h"

#include "settings/IniFile.h"
#include "settings/Paths.h"

namespace wv {

namespace {

// A width past this is a damaged file, not a column anybody dragged.
constexpr int MaxWidth = 10000;

QString key(int column)
{
    return QStringLiteral("col%1").arg(column);
}

} // namespace

ColumnWidthStore::ColumnWidthStore()
    : ColumnWidthStore(Paths::userFile(QString::fromLatin1(FileName)))
{
}

ColumnWidthStore::ColumnWidthStore(const QString &filePath) : m_path(filePath) {}

QVector<int> ColumnWidthStore::load(int columns) const
{
    const IniFile ini(m_path);
    const QString section = QString::fromLatin1(Section);
    QVector<int> widths(columns, Missing);
    for (int c = 0; c < columns; ++c) {
        const int w = ini.readInteger(section, key(c), Missing);
        if (w >= 0 && w <= MaxWidth)
            widths[c] = w;
    }
    return widths;
}

bool ColumnWidthStore::save(const QVector<int> &widths)
{
    IniFile ini(m_path);
    QVector<std::pair<QString, QString>> entries;
    for (int c = 0; c < widths.size(); ++c)
        entries.append({key(c), QString::number(qMax(0, widths[c]))});
    return ini.writeStrings(QString::fromLatin1(Section), entries);
}

} // namespace wv
