#pragma once

#include <QString>

namespace wv {

class TRuleList;

// Where the rules file tells the user something. The main window shows these
// as message boxes; tests and the command-line companion collect them.
class RuleNotices
{
public:
    virtual ~RuleNotices() = default;
    virtual void notice(const QString &text) = 0;
};

// Loads and saves the live rule list from rules.qrs in the per-user folder.
class RulesFile
{
public:
    static const QString FileName;       // "rules.qrs"
    static const QString LoadFailNotice; // "Alas, there was a problem loading the rules"
    // What the user is told about a corrupt file: where its copy is kept, or
    // that it could not be moved aside, and why.
    static QString corruptNotice(const QString &copyPath);
    static QString corruptNotMovedNotice(const QString &path, const QString &why);

    // The rules file in the per-user folder.
    static QString defaultPath();

    explicit RulesFile(const QString &path = defaultPath());
    const QString &path() const { return m_path; }
    // Where the last corrupt file was put aside (empty if none).
    const QString &corruptCopyPath() const { return m_corruptCopy; }

    // Loads the list from the file; a missing file leaves the list alone, an
    // empty one empties it.
    // A file that cannot be read as rules is moved aside as rules.qrs.corrupt
    // (rules.qrs.corrupt.1, ... when older copies are there), the user is told
    // where the copy is (or why no copy could be made), and the failure is
    // passed on. Rules read before the failure stay in the list.
    void load(TRuleList &list, RuleNotices &notices);
    // load(), then on failure the start-up message; returns false on failure.
    bool loadAtStartUp(TRuleList &list, RuleNotices &notices);

    // Writes the list to a temporary file beside the rules file and renames it
    // over the old one, so that an interrupted save leaves the old file whole.
    // Throws ERuleError on failure; the old file is then unchanged.
    void save(const TRuleList &list);

private:
    // Returns the copy's path, or empty with the reason in `why`.
    QString putAside(QString &why);

    QString m_path;
    QString m_corruptCopy;
};

} // namespace wv
