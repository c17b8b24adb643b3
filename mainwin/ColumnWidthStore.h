#pragma once

#include <QString>
#include <QVector>

namespace wv {

// The connection table's column widths between runs: the ini file "test1"
// in the per-user folder, section "g", one key per column ("col0" ...) with
// its width in pixels.
class ColumnWidthStore
{
public:
    static constexpr const char *FileName = "test1";
    static constexpr const char *Section = "g";
    static constexpr int Missing = -1;

    ColumnWidthStore();
    explicit ColumnWidthStore(const QString &filePath);

    // One entry per column; Missing where the file has no usable width.
    QVector<int> load(int columns) const;
    // Writes every column; false when the file could not be written.
    bool save(const QVector<int> &widths);

    const QString &filePath() const { return m_path; }

private:
    QString m_path;
};

} // namespace wv
