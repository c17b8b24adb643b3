#pragma once

#include "mainwin/PanelFlags.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace wv {

// The "Status Bar customizer": six check boxes for the status bar's items.
// "Modem &lights" can be changed only on a machine with dial-up support
// (`hasRAS`); its stored value is still shown and handed back.
//
//   void TfrmMain::statDblClick() {
//       if (TfrmStatusCustomizer::customize(this, m_flags, m_settings.hasRAS, QCursor::pos())) {
//           m_panelStore.save(m_flags);   // also switches the lights timer
//           layoutStatusBar();
//       }
//   }
class TfrmStatusCustomizer : public QDialog
{
    Q_OBJECT
public:
    TfrmStatusCustomizer(const PanelFlags &flags, bool hasRAS, QWidget *parent = nullptr);

    // The flags as the check boxes show them.
    PanelFlags flags() const;

    // Creates the window, places its top-left corner 250 pixels left of and
    // 50 above `cursor`, writes "gonna showmodal" to the debug trace and
    // shows it modally. On "&OK" the check boxes are copied into `flags` and
    // true is returned; "&Cancel" and Escape leave `flags` alone.
    static bool customize(QWidget *parent, PanelFlags &flags, bool hasRAS, const QPoint &cursor);

    QCheckBox *mainBox() const { return chkMain; }
    QCheckBox *ipBox() const { return chkIP; }
    QCheckBox *hostnameBox() const { return chkHostname; }
    QCheckBox *pingBox() const { return chkPing; }
    QCheckBox *lightsBox() const { return chkLights; }
    QCheckBox *progressBox() const { return chkProgress; }
    QPushButton *okButton() const { return btnOK; }
    QPushButton *cancelButton() const { return btnCancel; }

public Q_SLOTS:
    void btnOKClick();
    void btnCancelClick();

private:
    QCheckBox *chkMain;
    QCheckBox *chkIP;
    QCheckBox *chkHostname;
    QCheckBox *chkPing;
    QCheckBox *chkLights;
    QCheckBox *chkProgress;
    QPushButton *btnOK;
    QPushButton *btnCancel;
};

} // namespace wv
