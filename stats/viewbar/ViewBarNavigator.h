#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTime;

namespace wv {

// What the view bar reads of the main connection table.
class ViewBarTable
{
public:
    virtual ~ViewBarTable() = default;
    virtual int rowCount() const = 0;
    // The row's eight cells in column order ("#", remote address, local port,
    // remote port, protocol, state, time, recognized name).
    virtual QStringList row(int index) const = 0;
    // Runs one refresh of the table (the main window's "&Refresh").
    virtual void refresh() = 0;
};

// The view bar's walk through the table: the current position (which
// belongs to the process and survives the bar), Next, Previous and the
// scroll step. Each step that shows a connection calls the show callback
// with the table index, which the bar turns into its one row.
class ViewBarNavigator
{
public:
    // position: the process-wide current position (starts at 0).
    ViewBarNavigator(ViewBarTable &table, int &position);

    // Show connection (index): pulls a position beyond the end back to the
    // last row, then reports the row (none when the table has no row index).
    std::optional<QStringList> showConnection(int index);
    // tbUP: the next row, unless the position is already the last row.
    // Returns the index shown, or none when nothing moved.
    std::optional<int> next();
    // tbDown: the previous row, unless the position is the first.
    std::optional<int> previous();
    // scrollconn: wraps from the last row to the first, then Next.
    std::optional<int> scrollStep();

    int position() const { return m_position; }
    // Called for every row shown, with its index and cells.
    void setShowCallback(std::function<void(int, const QStringList &)> show)
    {
        m_show = std::move(show);
    }

private:
    void refreshWhenEmpty();
    std::optional<int> advance();
    std::optional<int> showAt(int index);

    ViewBarTable &m_table;
    int &m_position;
    std::function<void(int, const QStringList &)> m_show;
};

// The texts of the row menu's seven field items for the shown row's cells:
// "rAddr: ...", "lPort: ", "rPort: ", "proto: ", "state: ", "timeN: ",
// "recog: ". Without a shown row the first reads "nothing selected" and the
// others are empty.
QStringList viewRowMenuTexts(const std::optional<QStringList> &cells);

// The clock's text: 12-hour, no leading zero ("3:07:09 PM").
QString viewBarClockText(const QTime &time);

// Geometry of the bar's controls for a bar width (every resize).
struct ViewBarLayout
{
    int panel1Width = 0;
    int clockLeft = 0;
    int ledPanLeft = 0;
    int butPanLeft = 0;
    int bevelLeft = 0;
    int lvWidth = 0;
};
ViewBarLayout layoutViewBar(int barWidth, int wvnbutWidth, int clockWidth, int butPanWidth,
                            int ledPanWidth);

} // namespace wv
