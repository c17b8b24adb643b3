#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>

class QTableView;
class QStyle;

namespace wv {

// Fits a table's columns to their contents, as QTableView::resizeColumnToContents
// does, but measures again only when something that decides the width has
// changed since the column was last fitted: the rows or their texts, the rows
// in view, the font, the style, the grid or the column's width. A steady
// refresh fits the same columns over the same rows every cycle; measuring a
// thousand cells each time was a good part of its cost.
class ColumnFitter : public QObject
{
    Q_OBJECT
public:
    explicit ColumnFitter(QTableView *view);

    void fit(int column);
    // Fits done by measuring (for tests).
    int measured() const { return m_measured; }

private:
    struct State
    {
        quint64 contents = 0;
        quint64 cells = 0;
        int width = -1;
        int top = -1;
        int viewportHeight = -1;
        bool visible = false;
        bool hidden = false;
        bool grid = false;
        QStyle *style = nullptr;
        QFont font;
        bool operator==(const State &) const = default;
    };
    State stateOf(int column) const;
    void watchModel();

    QTableView *m_view;
    quint64 m_contents = 0;
    QList<quint64> m_cellChanges;
    QHash<int, State> m_fitted;
    int m_measured = 0;
};

} // namespace wv
