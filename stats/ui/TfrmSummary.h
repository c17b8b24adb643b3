#pragma once

#include "settings/SettingsStore.h"

#include <QDialog>

class QFileDialog;
class QToolBar;
class QToolButton;
class QTreeView;

namespace wv {

class SummaryLog;

// "Session Summary": the running log of what the refresh cycle noticed. The
// window lives for the whole run; hiding it loses nothing.
class TfrmSummary : public QDialog, public OptionsSink
{
    Q_OBJECT
public:
    TfrmSummary(SummaryLog &log, SettingsStore &settings, QWidget *parent = nullptr);

    // Forwards to the log (collects only while "Keep Summary" is down).
    void AddSummaryEvent(const QString &text);
    // Set by the program's exit routine before it shows the window modally.
    void setExiting(bool exiting);
    bool isExiting() const { return m_exiting; }

    // Writes the list to a file in one of the five formats (filter index 1 to 5).
    bool saveToFile(const QString &path, int filterIndex, QString *error = nullptr) const;

    QTreeView *lv = nullptr;
    QToolBar *toolBar = nullptr;
    QToolButton *tb1 = nullptr;
    QToolButton *tb2 = nullptr;
    QToolButton *tb3 = nullptr;
    QFileDialog *save1 = nullptr;

    void tb1Click();
    void tb2Click();
    void tb3Click();

    // OptionsSink
    void applyExtras(const Settings &settings) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    SummaryLog &m_log;
    SettingsStore &m_settings;
    bool m_exiting = false;
};

} // namespace wv
