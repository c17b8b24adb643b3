#include "mainwin/ui/TMainStatusBar.h"

#include "mainwin/EchoCounters.h"
#include "mainwin/StatusBarRefresh.h"
#include "mainwin/ui/TfrmStatusCustomizer.h"
#include "stats/dialup/LightsController.h"
#include "stats/ui/TLightsPanel.h"

namespace wv {

TMainStatusBar::TMainStatusBar(RegistryStore &registry, std::function<bool()> hasRAS,
                               std::unique_ptr<EchoCounterSource> echo,
                               std::unique_ptr<AdapterCounterSource> adapter, QWidget *parent)
    : TStatusPanels(parent), m_hasRAS(std::move(hasRAS)),
      m_store(registry, [this](bool on) { m_lights->setEnabled(on); }),
      m_lights(adapter ? new LightsController(std::move(adapter), this)
                       : new LightsController(this)),
      m_refresh(new StatusBarRefresh(
          flags(), echo ? std::move(echo) : std::make_unique<ProcSnmpEchoCounters>(), this))
{
    lights()->follow(m_lights);
    connect(m_refresh, &StatusBarRefresh::panelTextChanged, this, &TStatusPanels::setPanelText);
    connect(m_refresh, &StatusBarRefresh::layoutNeeded, this, &TStatusPanels::layoutPanels);
    connect(this, &TStatusPanels::doubleClicked, this, &TMainStatusBar::statDblClick);
}

TMainStatusBar::~TMainStatusBar() = default;

void TMainStatusBar::LoadPanelFlags()
{
    setFlags(m_store.load());
}

bool TMainStatusBar::SavePanelFlags()
{
    return m_store.save(flags());
}

void TMainStatusBar::statDblClick(const QPoint &globalPos)
{
    m_edit = flags();
    if (!TfrmStatusCustomizer::customize(this, m_edit, m_hasRAS && m_hasRAS(), globalPos))
        return;
    setFlags(m_edit);
    SavePanelFlags();
}

} // namespace wv
