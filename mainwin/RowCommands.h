#pragma once

#include <QString>

namespace wv {

struct ConnectionRecord;

// What the row commands of the table's context menu and of the
// "&Connection" menu show: whether they can run, whether "&View Alert" is
// offered, and the captions that name the selected row's address and ports.
struct RowCommandState
{
    bool enabled = false;
    bool viewAlertVisible = false;
    QString lookupCaption;
    QString localPortCaption;
    QString remotePortCaption;
};

enum class RowMenu
{
    ContextMenu, // the table's context menu
    MainMenu     // the "&Connection" menu
};

// The image a rule puts on a row it marked.
constexpr int MarkedRowImage = 0;

// selected is null when no row is selected. While a refresh runs the row
// commands are off as if nothing were selected.
RowCommandState rowCommandState(const ConnectionRecord *selected, bool refreshing, RowMenu menu);

// A cell text as a menu caption: '&' shows as itself instead of marking a
// shortcut key.
QString literalCaption(const QString &text);

} // namespace wv
