#include "monitor/ConnectionListFile.h"

#include "settings/AtomicFile.h"
#include "settings/Paths.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace wv {

QString ConnectionListFile::prepareHeader(const QString &templateText, const QString &stampText,
                                          const QString &picturePath)
{
    QString text = templateText;
    // The stamp goes in first, so a "test" inside the picture's path stays.
    text.replace(QStringLiteral("test"), stampText, Qt::CaseSensitive);
    text.replace(QString::fromLatin1(PictureName),
                 QUrl::fromLocalFile(picturePath).toString(QUrl::FullyEncoded), Qt::CaseSensitive);
    return text;
}

QString ConnectionListFile::stamp(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

bool ConnectionListFile::writePreparedHeader(const QDateTime &when, QString *header, QString *error)
{
    const QString source = Paths::dataFile(QString::fromLatin1(TemplateName));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot open file \"%1\". %2").arg(source, in.errorString());
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Cannot read file \"%1\". %2").arg(source, in.errorString());
        return false;
    }
    // The template is UTF-8; an older one in Latin-1 is read as such.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString templateText = utf8.decode(bytes);
    if (utf8.hasError())
        templateText = QString::fromLatin1(bytes);

    const QString text =
        prepareHeader(templateText, stamp(when), Paths::dataFile(QString::fromLatin1(PictureName)));
    const QString target = Paths::userFile(QString::fromLatin1(PreparedName));
    if (QString reason; !writeFileAtomically(target, text.toUtf8(), &reason)) {
        *error = QStringLiteral("Cannot write file \"%1\". %2").arg(target, reason);
        return false;
    }
    *header = text;
    return true;
}

bool ConnectionListFile::save(const QAbstractItemModel &model, const QString &path, int filterIndex,
                              QString *error, const QDateTime &when)
{
    const auto format = ListExporter::formatForFilterIndex(filterIndex);
    if (!format) {
        *error = QStringLiteral("Unknown file type %1").arg(filterIndex);
        return false;
    }
    QString header;
    if (*format == ListExporter::Format::Html && !writePreparedHeader(when, &header, error))
        return false;
    return ListExporter::save(
        path, *format, ListExporter::fromModel(model, QStringLiteral("Wirevane connections")),
        error, header);
}

QString ConnectionListFile::printDate(const QDateTime &when)
{
    return QLocale::c().toString(when, QStringLiteral("hh:mm:ss ap  -  MM/dd/yyyy"));
}

int TablePaging::rowsPerPage() const
{
    // At least one row a page, however small the paper.
    return std::max(1, (pageHeight - titleHeight - headerHeight) / std::max(1, rowHeight));
}

int TablePaging::pageCount(int rows) const
{
    if (rows <= 0)
        return 1;
    const int per = rowsPerPage();
    return (rows + per - 1) / per;
}

} // namespace wv
