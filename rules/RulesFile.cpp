#include "rules/RulesFile.h"

#include "rules/RuleError.h"
#include "rules/RuleList.h"
#include "settings/AtomicFile.h"
#include "settings/DebugTrace.h"
#include "settings/Paths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wv {

const QString RulesFile::FileName = QStringLiteral("rules.qrs");
const QString RulesFile::LoadFailNotice =
    QStringLiteral("Alas, there was a problem loading the rules");

QString RulesFile::defaultPath()
{
    return Paths::userFile(FileName);
}

RulesFile::RulesFile(const QString &path) : m_path(path) {}

QString RulesFile::corruptNotice(const QString &copyPath)
{
    return QStringLiteral("The rules file was corrupt and has been moved to ") + copyPath;
}

QString RulesFile::corruptNotMovedNotice(const QString &path, const QString &why)
{
    return QStringLiteral("The rules file %1 was corrupt and could not be moved aside (%2)")
        .arg(path, why);
}

QString RulesFile::putAside(QString &why)
{
    // Bounded: after a hundred older copies the last name is reused.
    const QString base = m_path + QStringLiteral(".corrupt");
    QString target = base;
    for (int n = 1; QFileInfo::exists(target) && n < 100; ++n)
        target = base + QLatin1Char('.') + QString::number(n);
    if (QFileInfo::exists(target))
        QFile::remove(target);
    QFile file(m_path);
    if (!file.rename(target)) {
        why = file.errorString();
        return {};
    }
    return target;
}

void RulesFile::load(TRuleList &list, RuleNotices &notices)
{
    m_corruptCopy.clear();
    if (!QFileInfo::exists(m_path))
        return;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) {
        // Unreadable is not corrupt: the file is left where it is.
        throw ERuleError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(m_path, f.errorString()));
    }
    // An empty file holds no rules: a profile of a user who had none carries
    // its rules member as zero bytes.
    if (f.size() == 0) {
        list.Clear();
        return;
    }
    try {
        list.LoadFromStream(&f);
    } catch (const std::exception &e) {
        f.close();
        DebugLog(QStringLiteral("LoadRules; ") + QString::fromStdString(e.what()));
        // Moving a corrupt file aside clears the way for the next start just
        // as deleting it would, and keeps whatever the user can recover.
        QString why;
        m_corruptCopy = putAside(why);
        if (!m_corruptCopy.isEmpty()) {
            DebugLog(QStringLiteral("corrupt rules file kept as ") + m_corruptCopy);
            notices.notice(corruptNotice(m_corruptCopy));
        } else {
            notices.notice(corruptNotMovedNotice(m_path, why));
        }
        throw;
    }
}

bool RulesFile::loadAtStartUp(TRuleList &list, RuleNotices &notices)
{
    try {
        load(list, notices);
        return true;
    } catch (const std::exception &) {
        notices.notice(LoadFailNotice);
        return false;
    }
}

void RulesFile::save(const TRuleList &list)
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // The whole file is made in memory first: on any failure the old file
    // stays as it was.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    list.SaveToStream(&buffer);
    QString reason;
    bool createFailed = false;
    if (!writeFileAtomically(m_path, buffer.data(), &reason, &createFailed)) {
        if (createFailed)
            throw ERuleError(QStringLiteral("Cannot create file \"%1\". %2").arg(m_path, reason));
        DebugLog(QStringLiteral("SaveRules; ") + reason);
        throw ERuleError(QStringLiteral("Error saving to stream"));
    }
}

} // namespace wv
