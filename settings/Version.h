#pragma once

#include <QString>

namespace wv {

// The program's version ("3.0"), from the project version the build sets.
QString programVersion();
// "Wirevane 3.0": the main window's title and the caption of its notices.
QString programTitle();

} // namespace wv
