#pragma once

#include "settings/DnsServerList.h"
#include "settings/Settings.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTabWidget;

namespace wv {

class DnsServerList;
class FriendlyNames;
class ProgramsList;
class RecognizedNamesList;
class RuleWorkingList;
class SettingsStore;
class TGradientBanner;
class TOptionsDnsPage;
class TOptionsExtrasPage;
class TOptionsGeneralPage;
class TOptionsPage;
class TOptionsViewBarPage;
class TProgramsPage;
class TRulesPage;
class TfrmAddRule;
class TfrmOptions;

// What the options dialog edits and the commands it reaches.
struct OptionsContext
{
    SettingsStore *settings = nullptr;
    // The working copy of the live rules (kept by the caller across openings).
    RuleWorkingList *rules = nullptr;
    TfrmAddRule *ruleEditor = nullptr;
    FriendlyNames *names = nullptr;
    ProgramsList *programs = nullptr;
    DnsServerList *dnsServers = nullptr;
    std::function<void()> expireNow;    // "Expire &Now"
    std::function<void()> editCache;    // "E&dit Cache" (modeless)
    std::function<void()> startViewBar; // "manually start viewbar"
    // Saves the live rules to their file; false when that failed (the
    // function has told the user).
    std::function<bool()> saveRules;
    // A message box; tests collect the texts instead.
    std::function<void(const QString &caption, const QString &text)> message;
    // A question with OK and Cancel; true for OK.
    std::function<bool(const QString &caption, const QString &text)> confirm;
    // Runs once the dialog is built: other parts of the program add their
    // controls (the "Extras" page keeps room for groups) and take their
    // values on QDialog::accepted.
    std::function<void(TfrmOptions *)> decorate;
};

// "Options": every setting, the system DNS servers, the rules, the
// recognized names and the programs, on seven pages. It works on copies:
// settings are taken over, and rules replaced, only when it is closed with
// OK. Made for one opening and destroyed when closed.
class TfrmOptions : public QDialog
{
    Q_OBJECT
public:
    enum Page
    {
        GeneralPage,
        DnsPage,
        RulesPage,
        RecognizedPage,
        ViewBarPage,
        ProgramsPage,
        ExtrasPage,
        PageCount
    };

    explicit TfrmOptions(const OptionsContext &context, QWidget *parent = nullptr);
    ~TfrmOptions() override;

    // Copies the settings into the controls.
    void UpdateOptionsForm();
    // Reads the four DNS servers from the resolver file.
    void LoadDNSServers();
    // Shows a page without running its change handler (the banner keeps its
    // text), as "&Edit rules..." opens the dialog.
    void openOnPage(Page page);
    // The controls into a settings set (the exact reverse of UpdateOptionsForm).
    void copyToSettings(Settings &s) const;

    void done(int result) override;

    TGradientBanner *banner = nullptr;
    QTabWidget *pcOptions = nullptr;
    TOptionsGeneralPage *pgGeneral = nullptr;
    TOptionsDnsPage *pgDns = nullptr;
    TRulesPage *pgRules = nullptr;
    RecognizedNamesList *pgRecognized = nullptr;
    TOptionsViewBarPage *pgViewBar = nullptr;
    TProgramsPage *pgPrograms = nullptr;
    TOptionsExtrasPage *pgExtras = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void pcOptionsChange(int index);
    void applyOk();
    void saveDnsServers();
    void setHotTrack(bool on);

    OptionsContext m_ctx;
    bool m_shown = false;
    bool m_closed = false;
};

} // namespace wv
