#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace wv {

// The program's icon, from the PNGs in the data folder (16 to 256 pixels),
// falling back to the desktop theme's "wirevane" icon.
QIcon programIcon();
// The splash image (data folder "splash.png"); a plain banner drawn here when
// the file is missing, so the splash window never shows empty.
QPixmap splashPixmap();
// Sizes of the icon images shipped in the data folder as wirevane-<n>.png.
const QList<int> &programIconSizes();

} // namespace wv
