#pragma once

#include <QString>

namespace wv {

// The texts of the rule editor window. The editor builds its controls from
// these and TRule::Sentence() builds its English sentence from the same
// captions, so the two cannot drift apart. Ampersands mark accelerator keys.
struct RuleEditorCaptions
{
    QString windowTitle = QStringLiteral("Add rule");

    QString whenGroup = QStringLiteral("&When");
    QString anyone = QStringLiteral("Anyone");
    QString someone = QStringLiteral("Someone with an address containing substring");

    QString onGroup = QStringLiteral("O&n");
    QString anyPort = QStringLiteral("Any local port");
    QString specificPort = QStringLiteral("Specific port:");
    QString defaultPort = QStringLiteral("21");

    QString doesGroup = QStringLiteral("&Does any of these things");
    QString anyConnection = QStringLiteral("Makes any kind of connection");
    QString synEvent = QStringLiteral("Sends a SYN type event (attempts connection)");
    QString overTwo = QStringLiteral("Establishes more than two connections");

    QString thenGroup = QStringLiteral("Then do these things");
    QString actionsPage = QStringLiteral("&Actions");
    QString disconnect = QStringLiteral("Disconnect from the Internet");
    QString immediate = QStringLiteral("Immediate disconnect");
    QString lookup = QStringLiteral("Start Advanced lookup/tracing engine");
    QString log = QStringLiteral("Log to the log file");
    // The trailing blank is part of the caption.
    QString mark = QStringLiteral("Put an asterisk next to connection listitem ");
    QString playWav = QStringLiteral("Play WAV sound file");
    QString launch = QStringLiteral("Launch program");

    QString notificationsPage = QStringLiteral("Noti&fications");
    QString alert = QStringLiteral("Display a message alert");
    QString passiveAlert = QStringLiteral("Don't pop up dialog");
    QString email = QStringLiteral("Send an email notification");
    QString emailLabel = QStringLiteral("Email addresses to send to:");

    QString ok = QStringLiteral("&OK");
    QString cancel = QStringLiteral("&Cancel");
    QString help = QStringLiteral("&Help");

    QString wavFilter = QStringLiteral("WAV files (*.wav)|*.wav|All files (*.*)|*.*");
    QString wavDialogTitle = QStringLiteral("Choose WAV file");
    QString launchFilter = QStringLiteral(
        "Applications (*.exe, *.bat, *.com)|*.exe, *.bat, *.com|All files (*.*)|*.*");
    QString launchDialogTitle = QStringLiteral("Choose program to launch");

    // The captions as the program ships them.
    static const RuleEditorCaptions &standard();
};

} // namespace wv
