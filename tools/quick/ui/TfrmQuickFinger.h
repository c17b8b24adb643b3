#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QStatusBar;
class QToolButton;

namespace wv {

class ComboHistory;
class FingerQuery;
class RegistryStore;

// "QuickFinger": sends a finger query for user@host and shows the answer.
class TfrmQuickFinger : public QWidget
{
    Q_OBJECT
public:
    static inline const QString HistoryKey = QStringLiteral("WVN_formstuff\\QuickFinger");

    explicit TfrmQuickFinger(RegistryStore &registry, QWidget *parent = nullptr);
    ~TfrmQuickFinger() override;

    FingerQuery &sock() { return *m_sock; }

    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QToolButton *tb3 = nullptr;
    QCheckBox *chkVerbose = nullptr;
    QComboBox *edit1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QStatusBar *stat = nullptr;

    void tb1Click();
    void tb2Click();
    void tb3Click();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void edit1Change();
    void setIdle();
    void sockLineReceived(const QString &line, qsizetype charsBefore);
    void sockFinished(int outcome);

    FingerQuery *m_sock;
    ComboHistory *m_history;
};

} // namespace wv
