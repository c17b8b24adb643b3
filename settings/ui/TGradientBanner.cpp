#include "settings/ui/TGradientBanner.h"

#include <QLinearGradient>
#include <QPainter>

namespace wv {

TGradientBanner::TGradientBanner(QWidget *parent) : QWidget(parent)
{
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    setFont(f);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TGradientBanner::setText(const QString &text)
{
    m_text = text;
    update();
}

QSize TGradientBanner::sizeHint() const
{
    return {200, fontMetrics().height() + 14};
}

void TGradientBanner::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().topRight());
    g.setColorAt(0, palette().color(QPalette::Highlight));
    g.setColorAt(1, palette().color(QPalette::Window));
    p.fillRect(rect(), g);
    p.setPen(palette().color(QPalette::HighlightedText));
    p.drawText(rect().adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

} // namespace wv
