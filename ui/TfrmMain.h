#pragma once

#include <QMainWindow>

namespace wv {

// The program's main window.
class TfrmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget *parent = nullptr);
};

} // namespace wv
