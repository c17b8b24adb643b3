#pragma once

#include <QString>

namespace wv {

// Where Wirevane keeps its files.
//
// The per-user folder holds everything the program writes (settings, caches,
// rules, the log). It is $WIREVANE_HOME when set, else $XDG_CONFIG_HOME/wirevane,
// else ~/.config/wirevane, and is created on first use.
//
// The data folder holds read-only files shipped with the program (the port
// database and the artwork): $WIREVANE_DATA when set, else <exe>/../data in a
// build tree, else <prefix>/share/wirevane (for the companion's parts in
// <prefix>/libexec/wirevane as well).
namespace Paths {

QString userDir();
QString userFile(const QString &bareName);
QString dataDir();
QString dataFile(const QString &bareName);
// The XDG autostart folder ($XDG_CONFIG_HOME/autostart).
QString autostartDir();
// Full path of the monitor program: the running executable when it is the
// monitor, else the monitor beside it or beside the companion's parts (the
// running executable when there is none; "wirevane" when unknown).
QString executablePath();

} // namespace Paths
} // namespace wv
