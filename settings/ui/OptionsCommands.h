#pragma once

#include "settings/ui/TfrmOptions.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace wv {

class RuleWorkingList;
class TRuleList;

// The main window's commands that open the options dialog ("&Options",
// "&Options...", the tray's "Options", "&Edit rules...") and move profiles
// ("&Export WVN config", "&Import WVN config").
class OptionsCommands : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        std::function<void()> stopRefresher;
        std::function<void()> startRefresher;
        // Every row is rebuilt at the next refresh (RebuildPending).
        std::function<void()> markRebuild;
        // The window restores its placement from the imported wvn3.ini.
        std::function<void()> restorePlacement;
        // The window comes back from the tray before the dialog opens.
        std::function<void()> restoreWindow;
    };

    // context.rules is replaced by a working list of live, kept across
    // openings. The rule editor is context.ruleEditor (the window made at
    // start-up), or one made here when none is given.
    OptionsCommands(const OptionsContext &context, TRuleList &live, const Hooks &hooks,
                    QWidget *parent);
    ~OptionsCommands() override;

    TfrmAddRule *ruleEditor() const { return m_context.ruleEditor; }
    // The dialog's hooks, for the parts of the program that arrive later
    // (the view bar's "manually start viewbar", for one).
    OptionsContext &context() { return m_context; }
    // The dialog while it is open (tests drive it).
    TfrmOptions *dialog() const { return m_dialog; }

    // Opens the dialog modally; on the "Rules" page for "&Edit rules...".
    void showOptions(bool rulesPage = false);
    // The profile commands, with their file dialogs. Tests pass the file.
    void exportProfile(const QString &file = QString());
    void importProfile(const QString &file = QString());

private:
    QWidget *m_parent;
    TRuleList &m_live;
    Hooks m_hooks;
    std::unique_ptr<TfrmAddRule> m_editor;
    std::unique_ptr<RuleWorkingList> m_working;
    OptionsContext m_context;
    QPointer<TfrmOptions> m_dialog;
};

} // namespace wv
