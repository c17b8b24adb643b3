#include "rules/mail/MailPassword.h"

#include "rules/mail/MailRelay.h"
#include "settings/Paths.h"

#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace wv::MailPassword {

namespace {

struct Entry
{
    QString key;
    QString password;
};

QList<Entry> loadFile(const QString &path)
{
    QList<Entry> entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return entries;
    // One entry a line: base64 key, a blank, base64 password; base64 keeps
    // any character of either out of the file's own syntax.
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        entries.append({QString::fromUtf8(QByteArray::fromBase64(parts[0])),
                        QString::fromUtf8(QByteArray::fromBase64(parts[1]))});
    }
    return entries;
}

} // namespace

QString filePath()
{
    return Paths::userFile(QString::fromLatin1(FileName));
}

QString entryKey(const MailRelay &relay)
{
    return relay.user + QLatin1Char('@') + relay.host;
}

bool keychainEnabled()
{
    const QByteArray off = qgetenv("WIREVANE_KEYCHAIN").toLower();
    if (off == "off" || off == "0" || off == "no")
        return false;
    // Without a session bus there is no secret service to ask, and asking
    // would only start one.
    return !qgetenv("DBUS_SESSION_BUS_ADDRESS").isEmpty();
}

QString readFile(const QString &key, const QString &path)
{
    for (const Entry &e : loadFile(path)) {
        if (e.key == key)
            return e.password;
    }
    return QString();
}

bool writeFile(const QString &key, const QString &password, QString *error, const QString &path)
{
    QList<Entry> entries = loadFile(path);
    entries.removeIf([&](const Entry &e) { return e.key == key; });
    if (!password.isEmpty())
        entries.append({key, password});
    if (entries.isEmpty() && !QFile::exists(path))
        return true;
    QSaveFile f(path);
    // The permissions are set on the temporary file before a byte of the
    // secret is in it, so no other user can ever read it.
    if (!f.open(QIODevice::WriteOnly) ||
        !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    for (const Entry &e : entries)
        f.write(e.key.toUtf8().toBase64() + ' ' + e.password.toUtf8().toBase64() + '\n');
    if (!f.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

void read(const MailRelay &relay, QObject *context,
          std::function<void(const QString &, const QString &)> done)
{
    const QString key = entryKey(relay);
    if (!keychainEnabled()) {
        const QString pw = readFile(key);
        QTimer::singleShot(0, context, [done, pw] { done(pw, QString()); });
        return;
    }
    auto *job = new QKeychain::ReadPasswordJob(QString::fromLatin1(Service));
    job->setAutoDelete(true);
    job->setKey(key);
    QPointer<QObject> guard(context);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, key, done, guard] {
        if (!guard)
            return;
        if (job->error() == QKeychain::NoError) {
            done(job->textData(), QString());
            return;
        }
        // Not in the secret service (or none answers): the file may hold it
        // from a time when no secret service ran.
        const QString pw = readFile(key);
        done(pw, pw.isEmpty() && job->error() != QKeychain::EntryNotFound ? job->errorString()
                                                                          : QString());
    });
    job->start();
}

void write(const MailRelay &relay, const QString &password, QObject *context,
           std::function<void(const QString &)> done)
{
    const QString key = entryKey(relay);
    if (!keychainEnabled()) {
        QString error;
        writeFile(key, password, &error);
        QTimer::singleShot(0, context, [done, error] { done(error); });
        return;
    }
    QKeychain::Job *job = nullptr;
    if (password.isEmpty()) {
        job = new QKeychain::DeletePasswordJob(QString::fromLatin1(Service));
    } else {
        auto *w = new QKeychain::WritePasswordJob(QString::fromLatin1(Service));
        w->setTextData(password);
        job = w;
    }
    job->setAutoDelete(true);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, key, password, done] {
        QString error;
        if (job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound) {
            // Kept by the secret service now: no copy stays in the file.
            writeFile(key, QString(), &error);
        } else {
            writeFile(key, password, &error);
        }
        done(error);
    });
    job->start();
}

QString readNow(const MailRelay &relay, QString *error, int timeoutMs)
{
    QObject context;
    QEventLoop loop;
    QString result;
    bool finished = false;
    read(relay, &context, [&](const QString &pw, const QString &e) {
        result = pw;
        if (error)
            *error = e;
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!finished)
        loop.exec();
    if (!finished) {
        if (error)
            *error = QStringLiteral("the secret service did not answer");
        return readFile(entryKey(relay));
    }
    return result;
}

bool writeNow(const MailRelay &relay, const QString &password, QString *error, int timeoutMs)
{
    QObject context;
    QEventLoop loop;
    QString e;
    bool finished = false;
    write(relay, password, &context, [&](const QString &err) {
        e = err;
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!finished)
        loop.exec();
    if (!finished)
        return writeFile(entryKey(relay), password, error);
    if (error)
        *error = e;
    return e.isEmpty();
}

} // namespace wv::MailPassword
