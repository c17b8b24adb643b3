#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace wv {

// A configuration profile (".wcf"): the six member files one after the
// other, each as a signed 32-bit little-endian length N and the file's N
// bytes. No header, no count, no version.
//
//   wvncache.ini  wvnfnames.ini  wvnprogs.ini  rules.qrs  wvn3.ini  wvnini.ini
//
// All six live in the per-user folder.
class Profile
{
public:
    static constexpr int MemberCount = 6;
    static const QStringList MemberNames;
    static const QString ExportTitle; // "Export WVN Profile"
    static const QString ImportTitle; // "Import WVN Profile"
    static const QString Filter;      // "Wirevane Configuration Profile (*.wcf)"
    static const QString ExportDone;  // "Success."
    static const QString ImportDone;  // "Settings successfully imported." ...

    // The folder the members are read from and written to (the per-user
    // folder unless given).
    explicit Profile(QString folder = QString());
    QString memberPath(int index) const;

    // Packs the six member files into the profile file. A member file that
    // does not exist yet is packed as N = 0. The profile is written under a
    // temporary name and renamed when complete, so a failed export leaves no
    // file that looks whole (and an older profile of that name untouched).
    bool wvnEXP(const QString &profilePath);
    // Unpacks a profile over the six member files. The whole profile is read
    // and checked first: a profile shorter than its lengths claim changes no
    // file and names the member it ends in. Each member is replaced whole.
    bool wvnIMP(const QString &profilePath);

    QString lastError() const { return m_lastError; }

    // The codec, for tests and fuzzing.
    static QByteArray encode(const QList<QByteArray> &members);
    // False with an error naming the member when the data ends too early or
    // a length is negative. Bytes after the sixth member are ignored.
    static bool decode(const QByteArray &data, QList<QByteArray> *members, QString *error);

private:
    QString m_folder;
    QString m_lastError;
};

} // namespace wv
