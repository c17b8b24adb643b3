#include "mainwin/RowCommands.h"

#include "refresh/ConnectionRecord.h"

namespace wv {

QString literalCaption(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return out;
}

RowCommandState rowCommandState(const ConnectionRecord *selected, bool refreshing, RowMenu menu)
{
    RowCommandState s;
    if (!selected || refreshing) {
        s.lookupCaption = menu == RowMenu::ContextMenu
                              ? QStringLiteral("Advanced Lookup [No connection Selected]")
                              : QStringLiteral("Advanced Lookup");
        s.localPortCaption = QStringLiteral("Local Port Info");
        s.remotePortCaption = QStringLiteral("Remote Port Info");
        return s;
    }
    s.enabled = true;
    s.viewAlertVisible = selected->mark == MarkedRowImage;
    s.lookupCaption =
        QStringLiteral("Advanced Lookup [%1]").arg(literalCaption(selected->hostCell));
    s.localPortCaption =
        QStringLiteral("Local Port Info [%1]").arg(literalCaption(selected->LocalPortText));
    s.remotePortCaption =
        QStringLiteral("Remote Port Info [%1]").arg(literalCaption(selected->RemotePortText));
    return s;
}

} // namespace wv
