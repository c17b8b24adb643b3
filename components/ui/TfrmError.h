#pragma once

#include <QDialog>

#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace wv {

// The "Error" window: tells the user that something went wrong, shows the
// message and asks them to note what they did last. "Continue" closes it and
// the program goes on; "Emergency exit" ends the process at once, saving
// nothing.
class TfrmError : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmError(QWidget *parent = nullptr);

    void setMessage(const QString &message);
    // Adds a further message below the ones shown (errors that arrive while
    // the window is open).
    void appendMessage(const QString &message);
    QString message() const;

    // What "Emergency exit" does; by default _exit(1). Tests replace it.
    void setEmergencyExit(std::function<void()> exitNow);

    QPushButton *continueButton() const { return btnContinue; }
    QPushButton *exitButton() const { return btnExit; }

public Q_SLOTS:
    void btnContinueClick();
    void btnExitClick();

private:
    QPlainTextEdit *memo;
    QPushButton *btnContinue;
    QPushButton *btnExit;
    std::function<void()> m_exitNow;
};

} // namespace wv
