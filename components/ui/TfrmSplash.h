#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

namespace wv {

// The splash window: borderless, centred and on top, the program's splash
// image with "Loading..." under it. It closes (and deletes itself) at the
// first tick of its 500 ms timer, or at once when the image is clicked.
//
//   auto *splash = new TfrmSplash;    // when showSplash is on
//   splash->showCentered();           // let it paint before the engine starts
//   ...
//   splash->startTimer500();          // after the main window is up
class TfrmSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CloseAfterMs = 500;

    explicit TfrmSplash(QWidget *parent = nullptr);

    void showCentered();
    void startTimer500();
    bool isTimerActive() const { return splashTimer.isActive(); }

public Q_SLOTS:
    void splashTimerTimer();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *image;
    QLabel *caption;
    QTimer splashTimer;
};

} // namespace wv
