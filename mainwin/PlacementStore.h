#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

namespace wv {

// Where the main window sits between runs, kept in wvn3.ini in the per-user
// folder: the window geometry, the toolbar's dock and the visibility of the
// toolbar's buttons and quick panel.
struct Placement
{
    QByteArray geometry;          // QWidget::saveGeometry
    QByteArray state;             // QMainWindow::saveState
    QMap<QString, bool> controls; // object name -> visible

    bool operator==(const Placement &) const = default;
};

class PlacementStore
{
public:
    static constexpr const char *FileName = "wvn3.ini";

    PlacementStore();
    explicit PlacementStore(const QString &filePath);

    // An absent or damaged file gives empty parts, which restore nothing.
    Placement load() const;
    bool save(const Placement &placement);

    const QString &filePath() const { return m_path; }

private:
    QString m_path;
};

} // namespace wv
