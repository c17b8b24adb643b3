#include "mainwin/ui/TfrmStatusCustomizer.h"

#include "settings/DebugTrace.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wv {

TfrmStatusCustomizer::TfrmStatusCustomizer(const PanelFlags &flags, bool hasRAS, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Status Bar customizer"));
    auto *label = new QLabel(QStringLiteral("Select items to be shown on status bar"), this);
    chkMain = new QCheckBox(QStringLiteral("&Main status text"), this);
    chkIP = new QCheckBox(QStringLiteral("Your computer's IP &Address"), this);
    chkHostname = new QCheckBox(QStringLiteral("Your computer's &hostname"), this);
    chkPing = new QCheckBox(QStringLiteral("ICMP &Ping statistics"), this);
    chkLights = new QCheckBox(QStringLiteral("Modem &lights"), this);
    chkProgress = new QCheckBox(QStringLiteral("&DNS Progress"), this);

    chkMain->setChecked(flags.main);
    chkIP->setChecked(flags.ip);
    chkHostname->setChecked(flags.hostname);
    chkPing->setChecked(flags.ping);
    chkLights->setChecked(flags.lights);
    chkProgress->setChecked(flags.progress);
    chkLights->setEnabled(hasRAS);
    if (!hasRAS)
        chkLights->setToolTip(QStringLiteral("No dial-up adapter on this computer"));

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnOK->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    for (QCheckBox *box : {chkMain, chkIP, chkHostname, chkPing, chkLights, chkProgress})
        layout->addWidget(box);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &TfrmStatusCustomizer::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmStatusCustomizer::btnCancelClick);
}

PanelFlags TfrmStatusCustomizer::flags() const
{
    PanelFlags f;
    f.main = chkMain->isChecked();
    f.ip = chkIP->isChecked();
    f.hostname = chkHostname->isChecked();
    f.ping = chkPing->isChecked();
    f.lights = chkLights->isChecked();
    f.progress = chkProgress->isChecked();
    return f;
}

void TfrmStatusCustomizer::btnOKClick()
{
    accept();
}

void TfrmStatusCustomizer::btnCancelClick()
{
    reject();
}

bool TfrmStatusCustomizer::customize(QWidget *parent, PanelFlags &flags, bool hasRAS,
                                     const QPoint &cursor)
{
    TfrmStatusCustomizer dialog(flags, hasRAS, parent);
    dialog.move(cursor - QPoint(250, 50));
    DebugLog(QStringLiteral("gonna showmodal"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    flags = dialog.flags();
    return true;
}

} // namespace wv
