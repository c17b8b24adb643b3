#pragma once

#include <QDateTime>
#include <QString>

namespace wv {

// Times as the user's locale writes them: the long time format is hours,
// minutes and seconds (without a time-zone name), the short date format is
// the locale's own.
QString longTimeText(const QTime &time);
// Short date, a blank, long time: the stamp of table rows and summary lines.
QString dateTimeText(const QDateTime &when);

} // namespace wv
