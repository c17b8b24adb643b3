#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

namespace wv {

class TRule;

// What the alert details window's "&Actions" menu calls on.
struct AlertActions
{
    std::function<void(int row)> lookup;       // "Start Advanced &Lookup"
    std::function<void()> disconnect;          // "&Disconnect from Internet" (asks first)
    std::function<void(QWidget *)> runProgram; // "&Run Program": the programs menu
};

// "Wirevane Alert": which rule a connection met and what is being done.
// Shown modally; "&OK" with "Don't &show again this session" checked sets
// the rule's IgnoredThisSession, "&Disable this rule completely" clears its
// Enabled; Escape closes without either.
class TfrmRuleAlert : public QDialog
{
    Q_OBJECT
public:
    static constexpr int NarrowWidth = 236;
    static constexpr int WideWidth = 484;

    TfrmRuleAlert(TRule &rule, int row, const QString &displayName,
                  const AlertActions &actions = {}, QWidget *parent = nullptr);

    QLabel *descriptionLabel() const { return lblDescription; }
    QListWidget *actionsList() const { return lstActions; }
    QCheckBox *dontShowBox() const { return cbDontShow; }
    QCheckBox *disableBox() const { return cbDisable; }
    QPushButton *moreButton() const { return btnMore; }
    QMenu *actionsMenu() const { return mnuActions; }
    // Whether OK changed the rule's Enabled (the caller saves the rules).
    bool ruleDisabled() const { return m_disabled; }
    // Asks the desktop to draw attention to the window (the caption
    // flashes); done when it opens and again whenever it is activated.
    void flash();
    int flashCount() const { return m_flashes; }

public Q_SLOTS:
    void btnOKClick();
    void btnMoreClick();
    void btnActionsClick();

protected:
    bool event(QEvent *event) override;

private:
    TRule &m_rule;
    int m_flashes = 0;
    int m_row;
    AlertActions m_actions;
    bool m_wide = false;
    bool m_disabled = false;
    QLabel *lblDescription;
    QLabel *m_actionsCaption;
    QListWidget *lstActions;
    QCheckBox *cbDontShow;
    QCheckBox *cbDisable;
    QPushButton *btnMore;
    QMenu *mnuActions;
};

// "Message Alert": a rule's message, the connection and when it happened.
// Modeless, on top, frees itself when closed; "&View rule's alert" calls the
// handler with the rule and row numbers and closes.
class TfrmMsgAlert : public QDialog
{
    Q_OBJECT
public:
    TfrmMsgAlert(const QString &message, int rule, int row,
                 std::function<void(int rule, int row)> viewRule = {}, QWidget *parent = nullptr);

    int ruleNumber() const { return m_rule; }
    int rowNumber() const { return m_row; }
    QLabel *messageLabel() const { return lblMessage; }
    QLabel *connectionLabel() const { return lblConnection; }
    QPushButton *viewButton() const { return btnView; }
    // Flashes the window: when it opens, when it is clicked and whenever it
    // is activated.
    void flash();
    int flashCount() const { return m_flashes; }

public Q_SLOTS:
    void btnViewClick();

protected:
    bool event(QEvent *event) override;

private:
    int m_flashes = 0;
    int m_rule;
    int m_row;
    std::function<void(int, int)> m_viewRule;
    QLabel *lblMessage;
    QLabel *lblConnection;
    QPushButton *btnView;
};

// "Wirevane: Disconnect": asks before the dial-up connection is hung up.
// Accepted on "&Yes"; "&No" and Escape reject.
class TfrmDisconnect : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmDisconnect(QWidget *parent = nullptr);
    QPushButton *yesButton() const { return btnYes; }

private:
    QPushButton *btnYes;
};

// Opens a new message alert window and flashes it.
TfrmMsgAlert *ShowMsgAlert(const QString &message, int rule, int row,
                           std::function<void(int rule, int row)> viewRule = {});

} // namespace wv
