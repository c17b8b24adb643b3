#pragma once

#include "rules/RuleEditorCaptions.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QVBoxLayout;

namespace wv {

class TRule;

// The rule editor ("Add rule"): one rule's who, port, event and actions. The
// window is made once at start-up and reused, so it opens with the values of
// its last use until they are set from a rule.
class TfrmAddRule : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAddRule(QWidget *parent = nullptr,
                         const RuleEditorCaptions &captions = RuleEditorCaptions::standard());

    // Sets every control from the rule.
    void SaveToEditor(const TRule &rule);
    // Sets the rule from the controls, disabled ones included. Enabled,
    // IgnoredThisSession, Number, ReservedText and Partner stay as they are.
    void LoadFromEditor(TRule &rule) const;

    // The program filter of the launch box (executables, or all files).
    static const QString ExecutablesFilter;

    QGroupBox *grpWhen = nullptr;
    QRadioButton *rbAnyone = nullptr;
    QRadioButton *rbSomeone = nullptr;
    QLineEdit *edAddress = nullptr;
    QGroupBox *grpOn = nullptr;
    QRadioButton *rbAnyPort = nullptr;
    QRadioButton *rbSpecificPort = nullptr;
    QLineEdit *edPort = nullptr;
    QGroupBox *grpDoes = nullptr;
    QRadioButton *rbAnyConnection = nullptr;
    QRadioButton *rbSynEvent = nullptr;
    QRadioButton *rbOverTwo = nullptr;
    QGroupBox *grpThen = nullptr;
    QTabWidget *pcThen = nullptr;
    QCheckBox *chkDisconnect = nullptr;
    QCheckBox *chkImmediate = nullptr;
    QCheckBox *chkLookup = nullptr;
    QCheckBox *chkLog = nullptr;
    QCheckBox *chkMark = nullptr;
    QCheckBox *chkPlayWav = nullptr;
    QLineEdit *edWavFile = nullptr;
    QToolButton *btnWavFile = nullptr;
    QCheckBox *chkLaunch = nullptr;
    QLineEdit *edLaunchFile = nullptr;
    QToolButton *btnLaunchFile = nullptr;
    QCheckBox *chkAlert = nullptr;
    QPlainTextEdit *edMessage = nullptr;
    QCheckBox *chkPassiveAlert = nullptr;
    QCheckBox *chkEmail = nullptr;
    QLabel *lblEmailTo = nullptr;
    QPlainTextEdit *edEmailTo = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;
    // Room on the "Noti&fications" page below the e-mail box, for the
    // controls of the mail relay.
    QVBoxLayout *notificationsExtra = nullptr;

    // The control links (they also run when a value is set from a rule).
    void rbWhoClick();
    void rbPortClick();
    void chkAlertClick();
    void chkEmailClick();
    void chkDisconnectClick();
    void chkPlayWavClick();
    void chkLaunchClick();

private:
    QWidget *buildActionsPage();
    QWidget *buildNotificationsPage();
    void browse(QLineEdit *target, const QString &title, const QStringList &filters,
                bool executables);
    // Enables target with its check; focuses it when the user turned it on.
    void follow(QWidget *target, bool on, bool byUser);
    void updateLinks();

    RuleEditorCaptions m_captions;
};

} // namespace wv
