#include "mainwin/StatusBarLayout.h"

#include <algorithm>
#include <numeric>

namespace wv {

StatusBarGeometry LayoutStatusBar(const StatusBarLayoutInput &in,
                                  const std::function<int(const QString &)> &textWidth)
{
    StatusBarGeometry g;
    const PanelFlags &f = in.flags;
    const bool textShown[3] = {f.ip, f.hostname, f.ping};
    for (int i = 0; i < 3; ++i)
        g.widths[i + 1] = textShown[i] ? textWidth(in.texts[i]) + 10 : 0;
    g.widths[4] = f.lights ? LightsPanelWidth : 0;
    g.widths[5] = f.progress ? GaugePanelWidth : 0;

    const int others = std::accumulate(g.widths.begin() + 1, g.widths.end(), 0);
    // A window narrower than the other panels would give the main text a
    // negative width; it gets none instead.
    g.widths[0] = f.main ? std::max(0, in.barWidth - (others + 18)) : in.panel0Width;

    g.ledVisible = f.lights;
    g.ledTop = in.barTop + 3;
    g.ledLeft = std::accumulate(g.widths.begin(), g.widths.begin() + 4, 0) + 4;
    g.gaugeVisible = f.progress;
    g.gaugeLeft = std::accumulate(g.widths.begin(), g.widths.begin() + 5, 0) + 4;
    return g;
}

} // namespace wv
