#include "refresh/DisplayTime.h"

#include <QLocale>

namespace wv {

namespace {

// The locale's long time format names the time zone ("t"); the stamps the
// user reads everywhere are wall-clock times, so the zone is dropped.
QString timeFormatWithoutZone()
{
    const QString fmt = QLocale::system().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : fmt) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out.trimmed();
}

const QString &timeFormat()
{
    static const QString fmt = timeFormatWithoutZone();
    return fmt;
}

} // namespace

QString longTimeText(const QTime &time)
{
    return QLocale::system().toString(time, timeFormat());
}

QString dateTimeText(const QDateTime &when)
{
    return QLocale::system().toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           longTimeText(when.time());
}

} // namespace wv
