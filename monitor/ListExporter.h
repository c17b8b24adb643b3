#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QAbstractItemModel;

namespace wv {

// Writes a list (column headers, then one row per list row) as plain text,
// HTML, a Word document (RTF), an Excel workbook (Excel 2003 XML) or
// comma-separated values. Every cell is treated as hostile: each format
// escapes what would change its structure, and a cell that a spreadsheet
// would take for a formula is written so that it stays text.
class ListExporter
{
public:
    // In the order of the save dialogs' filter entries, 1 to 5.
    enum class Format
    {
        Text = 1,
        Html,
        Word,
        Excel,
        Csv
    };

    struct Table
    {
        QString title;
        QStringList headers;
        QList<QStringList> rows;
    };

    // The save dialogs' filter entries, in Format order.
    static QStringList nameFilters();
    static std::optional<Format> formatForFilterIndex(int index);
    static std::optional<Format> formatForFilter(const QString &filter);
    static QString extension(Format format);

    // The display texts of a model's columns and rows.
    static Table fromModel(const QAbstractItemModel &model, const QString &title = {});

    // htmlHeader is the program's own markup put at the top of an HTML page;
    // it is inserted as it is (it never comes from the network).
    static QByteArray render(Format format, const Table &table, const QString &htmlHeader = {});
    // Writes the rendered list to a file, replacing it in one step. On failure
    // returns false with the reason in error.
    static bool save(const QString &path, Format format, const Table &table, QString *error,
                     const QString &htmlHeader = {});

    // A cell starting with "=", "+", "-", "@", a tab or a carriage return,
    // given a leading apostrophe so that no spreadsheet evaluates it.
    static QString neutraliseFormula(const QString &cell);

private:
    static QByteArray text(const Table &table);
    static QByteArray html(const Table &table, const QString &header);
    static QByteArray rtf(const Table &table);
    static QByteArray spreadsheet(const Table &table);
    static QByteArray csv(const Table &table);
};

} // namespace wv
