#pragma once

#include <QString>

namespace wv {

// The width of the lookup window's WHOIS side, kept between runs in
// wvn3.ini (section "frmLookup") in the per-user folder.
class LookupPlacement
{
public:
    static constexpr const char *Section = "frmLookup";
    static constexpr const char *WidthKey = "Panel1.Width";

    LookupPlacement();
    explicit LookupPlacement(const QString &filePath);

    // 0 when nothing usable is stored.
    int whoisWidth() const;
    bool setWhoisWidth(int width);

private:
    QString m_path;
};

} // namespace wv
