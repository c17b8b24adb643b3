#pragma once

#include "settings/IniFile.h"

#include <QObject>
#include <QString>
#include <QVector>

namespace wv {

// Recognized names, wvnfnames.ini in the per-user folder: the user's labels
// for connections whose host name or address contains a given text.
//   [Hostname] <host-name sub-text>=<friendly name>
//   [IP]       <address sub-text>=<the same friendly name>
// Entries are matched in file order; the file is read on every call.
class FriendlyNames : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *FileName = "wvnfnames.ini";
    static inline const QString HostSection = QStringLiteral("Hostname");
    static inline const QString IpSection = QStringLiteral("IP");
    // Shown for a connection that no entry recognizes.
    static inline const QString Unknown = QStringLiteral("???");

    // Defaults to wvnfnames.ini in the per-user folder.
    explicit FriendlyNames(QObject *parent = nullptr);
    explicit FriendlyNames(const QString &path, QObject *parent = nullptr);

    // The friendly name of a connection: the first "Hostname" key contained
    // in the host name, else the first "IP" key contained in the address,
    // else "???". Matching is case-sensitive; an empty key matches nothing.
    QString GetFriendlyName(const QString &hostName, const QString &remoteAddress) const;

    // The entries as they stand now, for naming many connections at once
    // without reading the file for each.
    struct Entries
    {
        QVector<std::pair<QString, QString>> hosts, addresses;
        QString GetFriendlyName(const QString &hostName, const QString &remoteAddress) const;
    };
    Entries entriesNow() const;

    enum class Field
    {
        None,
        FriendlyName,
        HostName,
        Address
    };
    // The first empty one of the three texts, in the order they are checked.
    static Field missingField(const QString &hostMask, const QString &addressMask,
                              const QString &friendlyName);
    // Stores one recognized entry (all three texts required). An edit that
    // changes a mask adds new keys; the old ones stay. Emits changed().
    bool writeEntry(const QString &hostMask, const QString &addressMask,
                    const QString &friendlyName);

    struct Entry
    {
        QString hostMask;
        QString addressMask; // empty when "IP" holds fewer keys than "Hostname"
        QString name;
    };
    // The entries as the options list shows them: the i-th "Hostname" key
    // paired with the i-th "IP" key.
    QVector<Entry> entries() const;
    bool removeEntry(const QString &hostMask, const QString &addressMask);
    bool clearAll();

    QString lastError() const { return m_file.lastError(); }
    IniFile &file() { return m_file; }

Q_SIGNALS:
    // The file changed: connection rows should be labelled afresh.
    void changed();

private:
    IniFile m_file;
};

} // namespace wv
