#include "mainwin/PlacementStore.h"

#include "settings/IniFile.h"
#include "settings/Paths.h"

namespace wv {

namespace {

const QString WindowSection = QStringLiteral("TfrmMain");
const QString ControlsSection = QStringLiteral("Controls");

QByteArray fromBase64(const QString &text)
{
    auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

} // namespace

PlacementStore::PlacementStore() : PlacementStore(Paths::userFile(QString::fromLatin1(FileName))) {}

PlacementStore::PlacementStore(const QString &filePath) : m_path(filePath) {}

Placement PlacementStore::load() const
{
    const IniFile ini(m_path);
    Placement p;
    p.geometry = fromBase64(ini.readString(WindowSection, QStringLiteral("Geometry")));
    p.state = fromBase64(ini.readString(WindowSection, QStringLiteral("State")));
    for (const auto &[name, value] : ini.readSectionValues(ControlsSection))
        p.controls.insert(name, value.toInt() != 0);
    return p;
}

bool PlacementStore::save(const Placement &p)
{
    IniFile ini(m_path);
    bool ok = ini.writeStrings(
        WindowSection, {{QStringLiteral("Geometry"), QString::fromLatin1(p.geometry.toBase64())},
                        {QStringLiteral("State"), QString::fromLatin1(p.state.toBase64())}});
    QVector<std::pair<QString, QString>> controls;
    for (auto it = p.controls.cbegin(); it != p.controls.cend(); ++it)
        controls.append({it.key(), it.value() ? QStringLiteral("1") : QStringLiteral("0")});
    if (!controls.isEmpty())
        ok = ini.writeStrings(ControlsSection, controls) && ok;
    return ok;
}

} // namespace wv
