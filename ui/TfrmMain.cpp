#include "ui/TfrmMain.h"

namespace wv {

TfrmMain::TfrmMain(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Wirevane 3.0"));
    resize(640, 400);
}

} // namespace wv
