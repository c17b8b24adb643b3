#include "tools/lookup/LookupPlacement.h"

#include "settings/IniFile.h"
#include "settings/Paths.h"

namespace wv {

LookupPlacement::LookupPlacement() : m_path(Paths::userFile(QStringLiteral("wvn3.ini"))) {}

LookupPlacement::LookupPlacement(const QString &filePath) : m_path(filePath) {}

int LookupPlacement::whoisWidth() const
{
    const int width =
        IniFile(m_path).readInteger(QString::fromLatin1(Section), QString::fromLatin1(WidthKey), 0);
    // A damaged value must not give a pane that cannot be seen or grabbed.
    return width >= 50 && width <= 10000 ? width : 0;
}

bool LookupPlacement::setWhoisWidth(int width)
{
    return IniFile(m_path).writeInteger(QString::fromLatin1(Section), QString::fromLatin1(WidthKey),
                                        width);
}

} // namespace wv
