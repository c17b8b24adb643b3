#pragma once

#include <QWidget>

namespace wv {

class LightsController;

// One round green light.
class TLed : public QWidget
{
    Q_OBJECT
public:
    explicit TLed(QWidget *parent = nullptr);
    void setLit(bool lit);
    bool isLit() const { return m_lit; }
    QSize sizeHint() const override { return {13, 13}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_lit = false;
};

// The status bar's traffic lights (`panLights`, 35 pixels wide): `LED2`
// (received) on the left, `LED1` (sent) on the right, each with its byte
// total as hint.
//
//   auto *lights = new TLightsPanel(statusBar());
//   lights->follow(lightsController);
class TLightsPanel : public QWidget
{
    Q_OBJECT
public:
    explicit TLightsPanel(QWidget *parent = nullptr);

    // Shows what the controller reports from now on.
    void follow(LightsController *controller);

    TLed *LED1; // sent
    TLed *LED2; // received

public Q_SLOTS:
    void setLights(bool sentLit, bool receivedLit);
    void setHints(const QString &sentHint, const QString &receivedHint);
};

} // namespace wv
