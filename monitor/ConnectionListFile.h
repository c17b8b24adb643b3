#pragma once

#include "monitor/ListExporter.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

class QAbstractItemModel;

namespace wv {

// Saving the connection table to a file. The HTML page starts with a header
// prepared from the template "wvnPrefix1.htm" of the data folder: every
// "test" becomes the date and time of the export, every "wvn64.gif" the
// file URL of the picture in the data folder. The prepared header is kept in
// the per-user folder as "wvnPrefix2.htm", rewritten by every HTML save.
class ConnectionListFile
{
public:
    static constexpr const char *TemplateName = "wvnPrefix1.htm";
    static constexpr const char *PreparedName = "wvnPrefix2.htm";
    static constexpr const char *PictureName = "wvn64.gif";

    // The header text made from a template: the stamp (see stamp()) in place
    // of every "test", the picture's file URL in place of every "wvn64.gif".
    static QString prepareHeader(const QString &templateText, const QString &stampText,
                                 const QString &picturePath);
    // The user's short date and long time.
    static QString stamp(const QDateTime &when, const QLocale &locale = QLocale::system());

    // Reads the template, writes the prepared header to the per-user folder
    // and returns its text. On failure returns false with the reason in error.
    static bool writePreparedHeader(const QDateTime &when, QString *header, QString *error);

    // Writes the model's columns and rows to path in the format of the save
    // dialog's filter index (1 to 5). On failure returns false with the
    // reason in error; the target is then left as it was.
    static bool save(const QAbstractItemModel &model, const QString &path, int filterIndex,
                     QString *error, const QDateTime &when = QDateTime::currentDateTime());

    // The date shown at the top right of a printed table.
    static QString printDate(const QDateTime &when);
};

// How a printed table falls into pages: a title line and the column header
// on every page, then as many rows as fit.
struct TablePaging
{
    int pageHeight = 0;   // printable height
    int titleHeight = 0;  // title line with the date, and the gap below it
    int headerHeight = 0; // the column header row
    int rowHeight = 1;

    int rowsPerPage() const;
    int pageCount(int rows) const;
};

} // namespace wv
