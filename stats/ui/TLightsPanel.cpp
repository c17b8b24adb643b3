#include "stats/ui/TLightsPanel.h"

#include "stats/dialup/LightsController.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QRadialGradient>

namespace wv {

TLed::TLed(QWidget *parent) : QWidget(parent)
{
    setFixedSize(13, 13);
}

void TLed::setLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    update();
}

void TLed::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    QRadialGradient g(r.center() - QPointF(2, 2), r.width() / 1.4);
    if (m_lit) {
        g.setColorAt(0, QColor(0xd8, 0xff, 0xc8));
        g.setColorAt(0.45, QColor(0x32, 0xe0, 0x32));
        g.setColorAt(1, QColor(0x0a, 0x8a, 0x14));
    } else {
        g.setColorAt(0, QColor(0x5a, 0x80, 0x5a));
        g.setColorAt(1, QColor(0x12, 0x33, 0x16));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(0x20, 0x28, 0x20), 1));
    p.drawEllipse(r);
}

TLightsPanel::TLightsPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("panLights"));
    LED2 = new TLed(this);
    LED1 = new TLed(this);
    LED1->setObjectName(QStringLiteral("LED1"));
    LED2->setObjectName(QStringLiteral("LED2"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(3);
    layout->addWidget(LED2);
    layout->addWidget(LED1);
    setFixedWidth(35);
}

void TLightsPanel::follow(LightsController *controller)
{
    connect(controller, &LightsController::lightsChanged, this, &TLightsPanel::setLights);
    connect(controller, &LightsController::hintsChanged, this, &TLightsPanel::setHints);
    const auto &state = controller->lights().state();
    setLights(state.sentLit, state.receivedLit);
    if (!state.sentHint.isEmpty())
        setHints(state.sentHint, state.receivedHint);
}

void TLightsPanel::setLights(bool sentLit, bool receivedLit)
{
    LED1->setLit(sentLit);
    LED2->setLit(receivedLit);
}

void TLightsPanel::setHints(const QString &sentHint, const QString &receivedHint)
{
    LED1->setToolTip(sentHint);
    LED2->setToolTip(receivedHint);
}

} // namespace wv
