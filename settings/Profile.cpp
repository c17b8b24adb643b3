#include "settings/Profile.h"

#include "settings/DebugTrace.h"
#include "settings/Paths.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <limits>

namespace wv {

const QStringList Profile::MemberNames = {
    QStringLiteral("wvncache.ini"), QStringLiteral("wvnfnames.ini"), QStringLiteral("wvnprogs.ini"),
    QStringLiteral("rules.qrs"),    QStringLiteral("wvn3.ini"),      QStringLiteral("wvnini.ini"),
};
const QString Profile::ExportTitle = QStringLiteral("Export WVN Profile");
const QString Profile::ImportTitle = QStringLiteral("Import WVN Profile");
const QString Profile::Filter = QStringLiteral("Wirevane Configuration Profile (*.wcf)");
const QString Profile::ExportDone = QStringLiteral("Success.");
const QString Profile::ImportDone =
    QStringLiteral("Settings successfully imported.\n\nIt is suggested to restart Wirevane for "
                   "imported rules to take complete effect.");

Profile::Profile(QString folder) : m_folder(std::move(folder)) {}

QString Profile::memberPath(int index) const
{
    const QString &name = MemberNames.at(index);
    return m_folder.isEmpty() ? Paths::userFile(name) : QDir(m_folder).filePath(name);
}

QByteArray Profile::encode(const QList<QByteArray> &members)
{
    QByteArray out;
    for (const QByteArray &m : members) {
        char length[4];
        qToLittleEndian<qint32>(static_cast<qint32>(m.size()), length);
        out.append(length, 4);
        out.append(m);
    }
    return out;
}

bool Profile::decode(const QByteArray &data, QList<QByteArray> *members, QString *error)
{
    members->clear();
    qsizetype pos = 0;
    for (int i = 0; i < MemberCount; ++i) {
        const QString &name = MemberNames.at(i);
        if (data.size() - pos < 4) {
            *error = QStringLiteral("The profile ends before the length of member %1 (%2).")
                         .arg(i + 1)
                         .arg(name);
            return false;
        }
        const qint32 n = qFromLittleEndian<qint32>(data.constData() + pos);
        pos += 4;
        if (n < 0) {
            *error = QStringLiteral("The profile gives member %1 (%2) an invalid length (%3).")
                         .arg(i + 1)
                         .arg(name)
                         .arg(n);
            return false;
        }
        if (data.size() - pos < n) {
            *error = QStringLiteral("The profile is shorter than its lengths claim: member %1 (%2) "
                                    "should have %3 bytes, only %4 remain.")
                         .arg(i + 1)
                         .arg(name)
                         .arg(n)
                         .arg(data.size() - pos);
            return false;
        }
        members->append(data.mid(pos, n));
        pos += n;
    }
    return true;
}

bool Profile::wvnEXP(const QString &profilePath)
{
    DebugLog(QStringLiteral("wvnEXP;"));
    m_lastError.clear();
    QList<QByteArray> members;
    for (int i = 0; i < MemberCount; ++i) {
        const QString path = memberPath(i);
        QFile f(path);
        if (!f.exists()) {
            // Nothing kept there yet (a new user): an empty member.
            members.append(QByteArray());
            continue;
        }
        if (!f.open(QIODevice::ReadOnly)) {
            m_lastError = QStringLiteral("Cannot open %1: %2").arg(path, f.errorString());
            return false;
        }
        members.append(f.readAll());
        if (f.error() != QFileDevice::NoError) {
            m_lastError = QStringLiteral("Cannot read %1: %2").arg(path, f.errorString());
            return false;
        }
        if (members.last().size() > std::numeric_limits<qint32>::max()) {
            m_lastError = QStringLiteral("%1 is too large for a profile.").arg(path);
            return false;
        }
    }
    const QByteArray data = encode(members);
    QSaveFile out(profilePath);
    // Also into a folder where only the file itself may be written.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        m_lastError = QStringLiteral("Cannot create %1: %2").arg(profilePath, out.errorString());
        return false;
    }
    if (out.write(data) != data.size() || !out.commit()) {
        m_lastError = QStringLiteral("Cannot write %1: %2").arg(profilePath, out.errorString());
        return false;
    }
    return true;
}

bool Profile::wvnIMP(const QString &profilePath)
{
    DebugLog(QStringLiteral("wvnIMP;"));
    m_lastError.clear();
    QFile f(profilePath);
    if (!f.open(QIODevice::ReadOnly)) {
        m_lastError = QStringLiteral("Cannot open %1: %2").arg(profilePath, f.errorString());
        return false;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_lastError = QStringLiteral("Cannot read %1: %2").arg(profilePath, f.errorString());
        return false;
    }
    QList<QByteArray> members;
    if (!decode(data, &members, &m_lastError))
        return false;
    if (m_folder.isEmpty())
        Paths::userDir();
    else
        QDir().mkpath(m_folder);
    for (int i = 0; i < MemberCount; ++i) {
        const QString path = memberPath(i);
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(members.at(i)) != members.at(i).size() ||
            !out.commit()) {
            m_lastError = QStringLiteral("Cannot write %1: %2").arg(path, out.errorString());
            return false;
        }
    }
    return true;
}

} // namespace wv
