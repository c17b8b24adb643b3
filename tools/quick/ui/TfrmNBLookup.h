#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace wv {

class CommandCapture;

// "NetBIOS name table lister": runs "nmblookup -A ADDRESS" and shows what it
// writes, as it writes it.
class TfrmNBLookup : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmNBLookup(QWidget *parent = nullptr);
    ~TfrmNBLookup() override;

    CommandCapture &capture() { return *m_capture; }
    // The command run (the tests point it elsewhere).
    void setProgram(const QString &program) { m_program = program; }

    QLineEdit *Edit1 = nullptr;
    QPushButton *tb1 = nullptr;
    QPushButton *tb2 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;

    void tb1Click();
    void tb2Click();
    // The row menu's "NetBIOS lookup...": fill in the address and look it up.
    void lookupAddress(const QString &address);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void captureOutput(const QByteArray &chunk);
    void captureFinished(int result);
    void restoreCursor();

    CommandCapture *m_capture;
    QString m_program;
    bool m_busyCursor = false;
};

} // namespace wv
