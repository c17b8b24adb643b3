#pragma once

#include "settings/IniFile.h"

#include <QString>
#include <QVector>

namespace wv {

// One registered program: the name shown in the menu and the program file.
struct ProgramEntry
{
    QString name;
    QString path;
    bool operator==(const ProgramEntry &) const = default;
};

// The user's programs, kept in wvnprogs.ini, section "Programs", one entry
// per program (display name = path) in menu order. Names compare without
// regard to case, so registering a name again replaces its path.
class ProgramsList
{
public:
    static constexpr const char *FileName = "wvnprogs.ini";
    static constexpr const char *Section = "Programs";

    // wvnprogs.ini in the per-user folder.
    ProgramsList();
    explicit ProgramsList(const QString &filePath);

    QVector<ProgramEntry> entries() const;

    // Registers (or replaces) a program. Names and paths are trimmed; an empty
    // one, or one the file cannot hold (a line break, a name with '=' or one
    // starting with '[' or ';'), is refused with false and lastError().
    bool addProgram(const QString &name, const QString &path);
    // Stores the edited entry and, when its name changed, removes the entry
    // under the old name, so an edit never leaves a stale copy behind.
    bool editProgram(const QString &oldName, const QString &name, const QString &path);
    bool deleteProgram(const QString &name);
    // Erases the whole section.
    bool clearAll();

    QString lastError() const { return m_lastError; }
    const QString &filePath() const { return m_file.path(); }

private:
    bool check(const QString &name, const QString &path);

    IniFile m_file;
    QString m_lastError;
};

} // namespace wv
