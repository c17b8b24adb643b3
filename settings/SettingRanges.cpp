#include "settings/SettingRanges.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace wv {

std::optional<SettingRange> settingRange(const SettingDescriptor &d)
{
    struct Entry
    {
        const char *key;
        SettingRange range;
    };
    static const Entry kRanges[] = {
        {"dnsTimeoutWait", {50, 120000, 500}},
        {"RefreshDelay", {2, 999, 1}},
        {"ExpireDelay", {1, 4320, 1}},
        {"connShowSec", {1, 999, 1}},
    };
    for (const Entry &e : kRanges) {
        if (std::strcmp(e.key, d.key) == 0)
            return e.range;
    }
    return std::nullopt;
}

bool clampToRanges(Settings &settings)
{
    bool changed = false;
    for (const SettingDescriptor &d : settingDescriptors()) {
        const std::optional<SettingRange> r = settingRange(d);
        if (!r)
            continue;
        int &v = settings.*std::get<int Settings::*>(d.member);
        const int bounded = std::clamp(v, r->minimum, r->maximum);
        changed = changed || bounded != v;
        v = bounded;
    }
    return changed;
}

bool applySettingAssignment(Settings &settings, const QString &assignment, QString *error,
                            const SettingDescriptor **which)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0) {
        *error = QStringLiteral("'%1' is not KEY=VALUE").arg(assignment);
        return false;
    }
    const QString key = assignment.left(eq).trimmed();
    const QString value = assignment.mid(eq + 1);
    const SettingDescriptor *d = findSetting(key);
    if (!d) {
        *error = QStringLiteral("unknown setting '%1'").arg(key);
        return false;
    }
    if (which)
        *which = d;
    const QString v = value.trimmed();
    switch (d->typeCode()) {
    case 'B': {
        static const QStringList on = {QStringLiteral("1"), QStringLiteral("true"),
                                       QStringLiteral("yes"), QStringLiteral("on")};
        static const QStringList off = {QStringLiteral("0"), QStringLiteral("false"),
                                        QStringLiteral("no"), QStringLiteral("off")};
        if (on.contains(v, Qt::CaseInsensitive)) {
            d->setFromText(settings, QStringLiteral("1"));
            return true;
        }
        if (off.contains(v, Qt::CaseInsensitive)) {
            d->setFromText(settings, QStringLiteral("0"));
            return true;
        }
        *error = QStringLiteral("%1 is a boolean: give 0 or 1, not '%2'")
                     .arg(QLatin1String(d->key), value);
        return false;
    }
    case 'I': {
        bool ok = false;
        const int n = v.toInt(&ok, 10);
        const SettingRange r = settingRange(*d).value_or(SettingRange{INT_MIN, INT_MAX, 1});
        if (!ok || n < r.minimum || n > r.maximum) {
            *error = QStringLiteral("%1 must be a whole number from %2 to %3, not '%4'")
                         .arg(QLatin1String(d->key))
                         .arg(r.minimum)
                         .arg(r.maximum)
                         .arg(value);
            return false;
        }
        d->setFromText(settings, QString::number(n));
        return true;
    }
    default:
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
            *error = QStringLiteral("%1 must be on one line").arg(QLatin1String(d->key));
            return false;
        }
        // Stored values lose their outer blanks anyway.
        d->setFromText(settings, v);
        return true;
    }
}

} // namespace wv
