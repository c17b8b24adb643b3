#include "settings/ui/OptionsCommands.h"

#include "rules/RuleList.h"
#include "rules/RuleWorkingList.h"
#include "rules/RulesFile.h"
#include "rules/ui/TfrmAddRule.h"
#include "settings/Profile.h"
#include "settings/SettingsStore.h"

#include <QFileDialog>
#include <QMessageBox>

namespace wv {

namespace {

class BoxNotices : public RuleNotices
{
public:
    explicit BoxNotices(QWidget *parent) : m_parent(parent) {}
    void notice(const QString &text) override
    {
        QMessageBox::information(m_parent, QStringLiteral("Notice"), text);
    }

private:
    QWidget *m_parent;
};

} // namespace

OptionsCommands::OptionsCommands(const OptionsContext &context, TRuleList &live, const Hooks &hooks,
                                 QWidget *parent)
    : QObject(parent), m_parent(parent), m_live(live), m_hooks(hooks),
      m_working(std::make_unique<RuleWorkingList>(live)), m_context(context)
{
    m_context.rules = m_working.get();
    if (!m_context.ruleEditor) {
        m_editor = std::make_unique<TfrmAddRule>(parent);
        m_context.ruleEditor = m_editor.get();
    }
    if (!m_context.saveRules) {
        m_context.saveRules = [this] {
            try {
                RulesFile().save(m_live);
                return true;
            } catch (const std::exception &e) {
                QMessageBox::critical(m_parent, QStringLiteral("Error"),
                                      QString::fromStdString(e.what()));
                return false;
            }
        };
    }
}

OptionsCommands::~OptionsCommands() = default;

void OptionsCommands::showOptions(bool rulesPage)
{
    if (m_dialog)
        return;
    if (m_hooks.restoreWindow)
        m_hooks.restoreWindow();
    if (m_hooks.stopRefresher)
        m_hooks.stopRefresher();
    auto *dialog = new TfrmOptions(m_context, m_parent);
    m_dialog = dialog;
    dialog->UpdateOptionsForm();
    dialog->LoadDNSServers();
    if (rulesPage)
        dialog->openOnPage(TfrmOptions::RulesPage);
    dialog->exec();
    delete dialog;
    if (m_hooks.startRefresher && m_context.settings->values().autoRefresh)
        m_hooks.startRefresher();
    if (!rulesPage && m_hooks.markRebuild)
        m_hooks.markRebuild();
}

void OptionsCommands::exportProfile(const QString &file)
{
    QString path = file;
    if (path.isEmpty()) {
        QFileDialog dialog(m_parent, Profile::ExportTitle);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(Profile::Filter);
        dialog.setDefaultSuffix(QStringLiteral("wcf"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        path = dialog.selectedFiles().first();
    }
    m_context.settings->SettingsToFile();
    Profile profile;
    if (!profile.wvnEXP(path)) {
        QMessageBox::critical(m_parent, QStringLiteral("Error"), profile.lastError());
        return;
    }
    QMessageBox::information(m_parent, QStringLiteral("Export Profile"), Profile::ExportDone);
}

void OptionsCommands::importProfile(const QString &file)
{
    QString path = file;
    if (path.isEmpty()) {
        QFileDialog dialog(m_parent, Profile::ImportTitle);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(Profile::Filter);
        dialog.setDefaultSuffix(QStringLiteral("wcf"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        path = dialog.selectedFiles().first();
    }
    Profile profile;
    if (!profile.wvnIMP(path)) {
        // Nothing was unpacked: every store is as it was.
        QMessageBox::critical(m_parent, QStringLiteral("Error"), profile.lastError());
        return;
    }
    SettingsStore &settings = *m_context.settings;
    settings.FileToSettings();
    BoxNotices notices(m_parent);
    try {
        RulesFile().load(m_live, notices);
    } catch (const std::exception &) {
        notices.notice(RulesFile::LoadFailNotice);
    }
    settings.WriteRegistry();
    settings.ProcessOptions();
    if (m_hooks.restorePlacement)
        m_hooks.restorePlacement();
    QMessageBox::information(m_parent, QStringLiteral("Import Profile"), Profile::ImportDone);
}

} // namespace wv
