#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

class QTableView;

namespace wv {

// Draws the connection table's cells: the asterisk image on rows a rule
// marked, and with hot tracking on, the row under the mouse pointer
// highlighted.
class TableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TableDelegate(QTableView *view);

    void setHotTrack(bool on);
    bool hotTrack() const { return m_hotTrack; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    static QIcon markIcon();

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *m_view;
    bool m_hotTrack = false;
    int m_hoverRow = -1;
};

} // namespace wv
