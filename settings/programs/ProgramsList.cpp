#include "settings/programs/ProgramsList.h"

#include "settings/Paths.h"

namespace wv {

namespace {

QString section()
{
    return QString::fromLatin1(ProgramsList::Section);
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

} // namespace

ProgramsList::ProgramsList() : ProgramsList(Paths::userFile(QString::fromLatin1(FileName))) {}

ProgramsList::ProgramsList(const QString &filePath) : m_file(filePath) {}

QVector<ProgramEntry> ProgramsList::entries() const
{
    QVector<ProgramEntry> out;
    for (const auto &[name, path] : m_file.readSectionValues(section()))
        out.append({name, path});
    return out;
}

bool ProgramsList::check(const QString &name, const QString &path)
{
    if (name.isEmpty()) {
        m_lastError = QStringLiteral("The program needs a name.");
        return false;
    }
    if (path.isEmpty()) {
        m_lastError = QStringLiteral("The program needs a location.");
        return false;
    }
    if (hasLineBreak(name) || hasLineBreak(path) || name.contains(QLatin1Char('=')) ||
        name.startsWith(QLatin1Char('[')) || name.startsWith(QLatin1Char(';'))) {
        m_lastError =
            QStringLiteral("The name or location holds characters that cannot be stored.");
        return false;
    }
    return true;
}

bool ProgramsList::addProgram(const QString &name, const QString &path)
{
    const QString n = name.trimmed(), p = path.trimmed();
    if (!check(n, p))
        return false;
    if (!m_file.writeString(section(), n, p)) {
        m_lastError = m_file.lastError();
        return false;
    }
    return true;
}

bool ProgramsList::editProgram(const QString &oldName, const QString &name, const QString &path)
{
    if (!addProgram(name, path))
        return false;
    const QString old = oldName.trimmed();
    if (!old.isEmpty() && old.compare(name.trimmed(), Qt::CaseInsensitive) != 0)
        return deleteProgram(old);
    return true;
}

bool ProgramsList::deleteProgram(const QString &name)
{
    if (!m_file.deleteKey(section(), name.trimmed())) {
        m_lastError = m_file.lastError();
        return false;
    }
    return true;
}

bool ProgramsList::clearAll()
{
    if (!m_file.eraseSection(section())) {
        m_lastError = m_file.lastError();
        return false;
    }
    return true;
}

} // namespace wv
