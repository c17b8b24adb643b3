#pragma once

#include "mainwin/PanelFlags.h"
#include "mainwin/StatusBarLayout.h"

#include <QWidget>

#include <array>

class QLabel;
class QProgressBar;

namespace wv {

class TLightsPanel;

// The main window's status bar `stat`: seven sunken panels side by side
// (0: main status text, 1: "IP:", 2: "Hostname:", 3: "Pings", 4: holds the
// traffic lights, 5: right-aligned, holds the progress gauge `prog`, 6:
// empty), laid out from the panel flags whenever it is resized or
// layoutPanels() is called. A double-click asks for the customizer.
//
//   m_stat = new TStatusPanels;
//   statusBar()->addWidget(m_stat, 1);
//   m_stat->setFlags(m_flags);                    // after loading the flags
//   m_stat->lights()->follow(m_lightsController);
//   connect(m_statbar, &StatusBarRefresh::panelTextChanged, m_stat, &TStatusPanels::setPanelText);
//   connect(m_statbar, &StatusBarRefresh::layoutNeeded, m_stat, &TStatusPanels::layoutPanels);
//   connect(m_stat, &TStatusPanels::doubleClicked, this, &TfrmMain::statDblClick);
class TStatusPanels : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PanelCount = 7;

    explicit TStatusPanels(QWidget *parent = nullptr);

    void setFlags(const PanelFlags &flags);
    const PanelFlags &flags() const { return m_flags; }

    QString panelText(int panel) const;
    int panelWidth(int panel) const;
    // The last layout's result.
    const StatusBarGeometry &geometry() const { return m_geometry; }

    TLightsPanel *lights() const { return panLights; }
    QProgressBar *gauge() const { return prog; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setPanelText(int panel, const QString &text);
    // Sizes the panels from the flags and the current texts.
    void layoutPanels();

Q_SIGNALS:
    void clicked();
    void doubleClicked(const QPoint &globalPos);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void place();

    PanelFlags m_flags;
    StatusBarGeometry m_geometry;
    std::array<QLabel *, PanelCount> m_panels{};
    std::array<int, PanelCount> m_widths{20, 100, 100, 100, 40, 160, 50};
    TLightsPanel *panLights;
    QProgressBar *prog;
};

} // namespace wv
