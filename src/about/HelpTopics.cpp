#include "about/HelpTopics.h"

#include <QStringList>

namespace help {
namespace {

const QString kBreak = QStringLiteral("\r\n");
const QString kGap = kBreak + kBreak;

QString generalUsage()
{
    return QStringList{
        QStringLiteral("Using the program is pretty self-explanatory, or at least I tried to "
                       "make it that way."),
        QStringLiteral("Just select the map you plan on playing and click the 'Start' button "
                       "when the game starts or you can use the delayed start feature by "
                       "clicking the 'Delayed Start' button and setting the amount of time you "
                       "want it to wait until the game timer actually does start.  This feature "
                       "is useful on xbc so that you don't have to leap over to your seat to "
                       "begin the game, you can set the delay to 30 seconds and let the clock "
                       "count down and start it for you."),
        QStringLiteral("Click the 'Stop' button to stop the timer, and click reset to reset all "
                       "timers"),
    }.join(kGap);
}

struct Section {
    QString heading;
    QStringList paragraphs;
};

QString options()
{
    const Section sections[] = {
        {QStringLiteral("Notify me [  ] seconds before a pwoerup/weapon respawns:"),
         {QStringLiteral("Fill in the text box with the number of seconds before it respawns "
                         "that you want to be notified (simple, eh?)")}},
        {QStringLiteral("Say weapon name on respawn/Play default sound on respawn:"),
         {QStringLiteral("If you select 'Say item name on respawn' it will do exactly as it "
                         "says, when a weapon respawns it will say its name.  If you select "
                         "'Play default sound on respawn' it will play the default sound, you "
                         "can change the default sound by double clicking on the option button "
                         "and browsing to a wav file")}},
        {QStringLiteral("Notify me on respawn of:"),
         {QStringLiteral("If the checkbox next to the weapon name is clicked, it will notify "
                         "you when that item respawns")}},
        {QStringLiteral("Enable voice recognition:"),
         {QStringLiteral("I actually do have this feature working (I just disabled it and took "
                         "a little of the code out of the source because I don't want to mess "
                         "around with it right now), it's just I can't really mess around with "
                         "it because my mic died, and it requires some extra files, namely the "
                         "microsoft speech recognition engine.  Basically, what this does is "
                         "when you say the name of an item the computer says how many seconds "
                         "until it is back.")}},
        {QStringLiteral("Box Type:"), {QStringLiteral("Just select whether your box is PAL or NTSC")}},
        {QStringLiteral("Miscellaneous Options:"),
         {QStringLiteral("Auto-disable windows screen saver: check it to have the program "
                         "auto-disable the screen saver so that it doesn't come on when the "
                         "program is running"),
          QStringLiteral("Keep main program window on top: sets the program window on top of "
                         "all other windows, so nothing can pop up and block the window in a "
                         "game."),
          QStringLiteral("Disable program hotkeys: disables hotkeys (I'm sure you couldn't have "
                         "guessed that ;-) )")}},
    };
    QStringList texts;
    for (const Section& section : sections) {
        QString text = section.heading;
        for (const QString& paragraph : section.paragraphs)
            text += kBreak + QLatin1Char('\t') + paragraph;
        texts << text;
    }
    return texts.join(kGap);
}

QString hotkeys()
{
    return QStringLiteral("If hotkeys are enabled these will work.") + kGap +
           QStringList{
               QStringLiteral("(S) starts timer/stops timer (toggle hotkey), same as start button"),
               QStringLiteral("(R) does the same thing as the reset button"),
               QStringLiteral("(D) delayed start, same as clicking the delayed start button"),
           }.join(kBreak);
}

} // namespace

QString topicTitle(int topic)
{
    switch (topic) {
    case GeneralUsage:
        return QStringLiteral("General Usage");
    case Options:
        return QStringLiteral("Options");
    case Hotkeys:
        return QStringLiteral("Hotkeys");
    }
    return {};
}

QString topicText(int topic)
{
    switch (topic) {
    case GeneralUsage:
        return generalUsage();
    case Options:
        return options();
    case Hotkeys:
        return hotkeys();
    }
    return {};
}

} // namespace help
