#include "settings/IniFile.h"

#include "settings/AtomicFile.h"
#include "settings/DebugTrace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace wv {

namespace {

QString decode(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

bool hasLineBreak(const QString &s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// A value never spans lines: a line break in it would split the entry and
// create lines the next reader takes for sections or keys.
QString flattenValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

IniFile::FileStamp IniFile::stampOf(const QString &path)
{
    FileStamp s;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.inode = static_cast<qint64>(st.st_ino);
    s.size = static_cast<qint64>(st.st_size);
    s.mtimeNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

void IniFile::refresh() const
{
    if (m_path.isEmpty()) {
        m_loaded = true;
        return;
    }
    const FileStamp now = stampOf(m_path);
    if (m_loaded && now == m_stamp)
        return;
    QByteArray content;
    QString error;
    if (now.exists) {
        QFile f(m_path);
        if (!f.open(QIODevice::ReadOnly)) {
            error = f.errorString();
        } else {
            content = f.readAll();
            if (f.error() != QFileDevice::NoError)
                error = f.errorString();
        }
    }
    if (!error.isEmpty() && error != m_readError)
        DebugLog(QStringLiteral("cannot read %1: %2").arg(m_path, error));
    m_readError = error;
    parse(error.isEmpty() ? content : QByteArray());
    m_stamp = now;
    // An unreadable file is tried again at the next access (a change of its
    // permissions does not change its stamp).
    m_loaded = error.isEmpty();
}

IniFile::State IniFile::state() const
{
    refresh();
    if (!m_readError.isEmpty())
        return State::Unreadable;
    return m_stamp.exists ? State::Readable : State::Missing;
}

QString IniFile::readError() const
{
    refresh();
    return m_readError;
}

void IniFile::loadFromBytes(const QByteArray &content)
{
    m_path.clear();
    parse(content);
    m_loaded = true;
}

void IniFile::parse(const QByteArray &content) const
{
    m_lines.clear();
    qsizetype pos = 0;
    const qsizetype n = content.size();
    while (pos < n) {
        qsizetype nl = content.indexOf('\n', pos);
        Line line;
        if (nl < 0) {
            line.text = content.mid(pos);
            pos = n;
        } else {
            line.text = content.mid(pos, nl - pos);
            line.eol = "\n";
            pos = nl + 1;
        }
        // A carriage return belongs to the line end only in front of a line feed.
        if (!line.eol.isEmpty() && line.text.endsWith('\r')) {
            line.text.chop(1);
            line.eol.prepend('\r');
        }
        m_lines.append(std::move(line));
    }
    bool inSection = false;
    for (Line &line : m_lines) {
        const QByteArray t = line.text.trimmed();
        if (t.startsWith('[') && t.indexOf(']') > 0) {
            line.kind = Kind::Section;
            line.name = decode(t.mid(1, t.indexOf(']') - 1).trimmed());
            inSection = true;
        } else if (inSection && !t.startsWith(';') && t.contains('=')) {
            const qsizetype eq = t.indexOf('=');
            line.kind = Kind::Entry;
            line.name = decode(t.left(eq).trimmed());
            line.value = decode(t.mid(eq + 1).trimmed());
        }
    }
    reindex();
}

void IniFile::reindex() const
{
    m_sections.clear();
    m_sectionOrder.clear();
    SectionIndex *current = nullptr;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Section) {
            if (current)
                current->end = i;
            const QString key = fold(line.name);
            // A repeated section header: the first one wins, later ones and
            // their entries are kept in the file but not read.
            if (m_sections.contains(key)) {
                current = nullptr;
                continue;
            }
            SectionIndex &s = m_sections[key];
            s.header = i;
            m_sectionOrder.append(line.name);
            current = &s;
        } else if (line.kind == Kind::Entry && current) {
            const QString k = fold(line.name);
            if (!current->keys.contains(k)) {
                current->keys.insert(k, i);
                current->entries.append(i);
            }
        }
    }
    if (current)
        current->end = m_lines.size();
}

const IniFile::SectionIndex *IniFile::findSection(const QString &section) const
{
    refresh();
    auto it = m_sections.constFind(fold(section));
    return it == m_sections.constEnd() ? nullptr : &it.value();
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const SectionIndex *s = findSection(section);
    if (!s)
        return defaultValue;
    auto it = s->keys.constFind(fold(key));
    return it == s->keys.constEnd() ? defaultValue : m_lines[it.value()].value;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QString text = readString(section, key);
    bool ok = false;
    int v = 0;
    if (text.size() > 2 && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = static_cast<int>(text.mid(2).toUInt(&ok, 16));
    else
        v = text.toInt(&ok, 10);
    return ok ? v : defaultValue;
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    const SectionIndex *s = findSection(section);
    return s && s->keys.contains(fold(key));
}

bool IniFile::sectionExists(const QString &section) const
{
    return findSection(section) != nullptr;
}

QStringList IniFile::readSection(const QString &section) const
{
    QStringList keys;
    if (const SectionIndex *s = findSection(section)) {
        for (int i : s->entries)
            keys.append(m_lines[i].name);
    }
    return keys;
}

QVector<std::pair<QString, QString>> IniFile::readSectionValues(const QString &section) const
{
    QVector<std::pair<QString, QString>> out;
    if (const SectionIndex *s = findSection(section)) {
        out.reserve(s->entries.size());
        for (int i : s->entries)
            out.append({m_lines[i].name, m_lines[i].value});
    }
    return out;
}

QStringList IniFile::readSections() const
{
    refresh();
    return m_sectionOrder;
}

QByteArray IniFile::newLineEnd() const
{
    for (const Line &l : m_lines) {
        if (!l.eol.isEmpty())
            return l.eol;
    }
    return QByteArrayLiteral("\n");
}

bool IniFile::validName(const QString &section, const QString &key)
{
    // Names that would not read back as the same section or key are refused.
    return !hasLineBreak(section) && !section.contains(QLatin1Char(']')) &&
           section.trimmed() == section && !hasLineBreak(key) && !key.contains(QLatin1Char('=')) &&
           !key.startsWith(QLatin1Char('[')) && !key.startsWith(QLatin1Char(';')) &&
           key.trimmed() == key;
}

bool IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString v = flattenValue(value).trimmed();
    const QByteArray eol = newLineEnd();
    Line entry;
    entry.kind = Kind::Entry;
    entry.name = key;
    entry.value = v;
    entry.text = key.toUtf8() + '=' + v.toUtf8();
    entry.eol = eol;

    const SectionIndex *s = findSection(section);
    if (s) {
        auto it = s->keys.constFind(fold(key));
        if (it != s->keys.constEnd()) {
            Line &old = m_lines[it.value()];
            if (old.value == v)
                return false;
            // Keep the spelling already in the file and the line's own end.
            old.text = old.name.toUtf8() + '=' + v.toUtf8();
            old.value = v;
            return true;
        }
        // Append after the last non-blank line of the section, so blank lines
        // that separate it from the next one stay where they are.
        int at = s->end;
        while (at - 1 > s->header && m_lines[at - 1].text.trimmed().isEmpty())
            --at;
        if (m_lines[at - 1].eol.isEmpty())
            m_lines[at - 1].eol = eol;
        m_lines.insert(at, entry);
    } else {
        if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
            m_lines.last().eol = eol;
        Line header;
        header.kind = Kind::Section;
        header.name = section;
        header.text = '[' + section.toUtf8() + ']';
        header.eol = eol;
        m_lines.append(header);
        m_lines.append(entry);
    }
    reindex();
    return true;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    return writeStrings(section, {{key, value}});
}

bool IniFile::writeStrings(const QString &section,
                           const QVector<std::pair<QString, QString>> &entries)
{
    for (const auto &e : entries) {
        if (!validName(section, e.first)) {
            m_lastError = QStringLiteral("invalid section or key name");
            return false;
        }
    }
    refresh();
    bool changed = false;
    for (const auto &e : entries)
        changed = setValue(section, e.first, e.second) || changed;
    // An unchanged value still has to exist on disk when the file is missing.
    return (changed || !QFile::exists(m_path)) ? save() : true;
}

bool IniFile::writeEntries(const QVector<Entry> &entries)
{
    for (const Entry &e : entries) {
        if (!validName(e.section, e.key)) {
            m_lastError = QStringLiteral("invalid section or key name");
            return false;
        }
    }
    refresh();
    bool changed = false;
    for (const Entry &e : entries)
        changed = setValue(e.section, e.key, e.value) || changed;
    return (changed || !QFile::exists(m_path)) ? save() : true;
}

bool IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::deleteKey(const QString &section, const QString &key)
{
    const SectionIndex *s = findSection(section);
    if (!s)
        return true;
    const QString k = fold(key);
    // Every occurrence goes, or the next one would surface as the value.
    bool removed = false;
    for (int i = s->end - 1; i > s->header; --i) {
        if (m_lines[i].kind == Kind::Entry && fold(m_lines[i].name) == k) {
            m_lines.removeAt(i);
            removed = true;
        }
    }
    if (!removed)
        return true;
    reindex();
    return save();
}

bool IniFile::eraseSection(const QString &section)
{
    const SectionIndex *s = findSection(section);
    if (!s)
        return true;
    const QString name = fold(section);
    // Remove every block headed by this name, with its lines.
    QVector<Line> kept;
    kept.reserve(m_lines.size());
    bool skipping = false;
    for (Line &line : m_lines) {
        if (line.kind == Kind::Section)
            skipping = fold(line.name) == name;
        if (!skipping)
            kept.append(std::move(line));
    }
    m_lines = std::move(kept);
    reindex();
    return save();
}

QByteArray IniFile::toBytes() const
{
    refresh();
    QByteArray out;
    qsizetype total = 0;
    for (const Line &l : m_lines)
        total += l.text.size() + l.eol.size();
    out.reserve(total);
    for (const Line &l : m_lines) {
        out += l.text;
        out += l.eol;
    }
    return out;
}

bool IniFile::save()
{
    if (m_path.isEmpty())
        return true;
    if (!m_readError.isEmpty()) {
        // What is in it would be lost: leave it for the user to mend.
        m_lastError = QStringLiteral("%1 cannot be read (%2); it is not written over")
                          .arg(m_path, m_readError);
        m_loaded = false;
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QByteArray bytes;
    for (const Line &l : m_lines) {
        bytes += l.text;
        bytes += l.eol;
    }
    if (QString error; !writeFileAtomically(m_path, bytes, &error)) {
        m_lastError = error;
        m_loaded = false; // re-read what is really on disk next time
        return false;
    }
    m_stamp = stampOf(m_path);
    m_lastError.clear();
    ++m_saves;
    return true;
}

} // namespace wv
