#include "mainwin/ui/TStatusPanels.h"

#include "stats/ui/TLightsPanel.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

#include <algorithm>

namespace wv {

TStatusPanels::TStatusPanels(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("stat"));
    const QStringList texts{QString(),
                            QStringLiteral("IP:"),
                            QStringLiteral("Hostname:"),
                            QStringLiteral("Pings"),
                            QString(),
                            QString(),
                            QString()};
    for (int i = 0; i < PanelCount; ++i) {
        auto *label = new QLabel(texts[i], this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMargin(0);
        label->setIndent(3);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((i == 5 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        m_panels[i] = label;
    }
    panLights = new TLightsPanel(this);
    panLights->hide();
    prog = new QProgressBar(this);
    prog->setObjectName(QStringLiteral("prog"));
    prog->setTextVisible(false);
    prog->setFixedWidth(100);
    prog->hide();
    layoutPanels();
}

QSize TStatusPanels::sizeHint() const
{
    return {400, minimumSizeHint().height()};
}

QSize TStatusPanels::minimumSizeHint() const
{
    return {0, std::max(fontMetrics().height() + 6, 19)};
}

void TStatusPanels::setFlags(const PanelFlags &flags)
{
    m_flags = flags;
    layoutPanels();
}

QString TStatusPanels::panelText(int panel) const
{
    return panel >= 0 && panel < PanelCount ? m_panels[panel]->text() : QString();
}

int TStatusPanels::panelWidth(int panel) const
{
    return panel >= 0 && panel < PanelCount ? m_widths[panel] : 0;
}

void TStatusPanels::setPanelText(int panel, const QString &text)
{
    if (panel >= 0 && panel < PanelCount)
        m_panels[panel]->setText(text);
}

void TStatusPanels::layoutPanels()
{
    StatusBarLayoutInput in;
    in.flags = m_flags;
    in.barWidth = width();
    in.barTop = 0;
    in.panel0Width = m_widths[0];
    for (int i = 0; i < 3; ++i)
        in.texts[i] = m_panels[i + 1]->text();
    const QFontMetrics metrics(m_panels[1]->font());
    m_geometry = LayoutStatusBar(
        in, [&metrics](const QString &text) { return metrics.horizontalAdvance(text); });
    std::copy(m_geometry.widths.begin(), m_geometry.widths.end(), m_widths.begin());
    place();
}

void TStatusPanels::place()
{
    const int h = height();
    int x = 0;
    for (int i = 0; i < PanelCount; ++i) {
        // The last panel fills whatever is left.
        const int w = i == PanelCount - 1 ? std::max(0, width() - x) : m_widths[i];
        m_panels[i]->setGeometry(x, 0, w, h);
        m_panels[i]->setVisible(w > 0);
        x += w;
    }
    panLights->setVisible(m_geometry.ledVisible);
    if (m_geometry.ledVisible)
        panLights->setGeometry(m_geometry.ledLeft - 4 + (m_widths[4] - panLights->width()) / 2,
                               (h - panLights->sizeHint().height()) / 2, panLights->width(),
                               panLights->sizeHint().height());
    prog->setVisible(m_geometry.gaugeVisible);
    if (m_geometry.gaugeVisible)
        prog->setGeometry(m_geometry.gaugeLeft, 3, prog->width(), std::max(0, h - 6));
}

void TStatusPanels::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPanels();
}

void TStatusPanels::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT clicked();
    QWidget::mousePressEvent(event);
}

void TStatusPanels::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_EMIT doubleClicked(event->globalPosition().toPoint());
    event->accept();
}

} // namespace wv
