#include "mainwin/ui/TableDelegate.h"

#include "mainwin/RowCommands.h"
#include "refresh/ConnectionTableModel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTableView>

namespace wv {

TableDelegate::TableDelegate(QTableView *view) : QStyledItemDelegate(view), m_view(view) {}

QIcon TableDelegate::markIcon()
{
    static const QIcon icon = [] {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0xc0, 0x10, 0x10), 2.2, Qt::SolidLine, Qt::RoundCap));
        const QPointF c(8, 8);
        for (int i = 0; i < 3; ++i) {
            QLineF arm(c, c + QPointF(5.5, 0));
            arm.setAngle(90 + i * 60);
            p.drawLine(QLineF(c - (arm.p2() - c), arm.p2()));
        }
        return QIcon(pm);
    }();
    return icon;
}

void TableDelegate::setHotTrack(bool on)
{
    if (on == m_hotTrack)
        return;
    m_hotTrack = on;
    m_view->setMouseTracking(on);
    if (on)
        m_view->viewport()->installEventFilter(this);
    else
        m_view->viewport()->removeEventFilter(this);
    m_hoverRow = -1;
    m_view->viewport()->update();
}

void TableDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == ConnectionTableModel::ColNumber &&
        index.data(ConnectionTableModel::MarkRole).toInt() == MarkedRowImage) {
        option->icon = markIcon();
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(12, 12);
    }
}

void TableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const
{
    if (m_hotTrack && index.row() == m_hoverRow && !(option.state & QStyle::State_Selected)) {
        QColor c = option.palette.color(QPalette::Highlight);
        c.setAlpha(48);
        painter->fillRect(option.rect, c);
    }
    QStyledItemDelegate::paint(painter, option, index);
}

bool TableDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave) {
        int row = -1;
        if (event->type() == QEvent::MouseMove)
            row = m_view->indexAt(static_cast<QMouseEvent *>(event)->position().toPoint()).row();
        if (row != m_hoverRow) {
            m_hoverRow = row;
            m_view->viewport()->update();
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

} // namespace wv
