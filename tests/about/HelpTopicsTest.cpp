#include "about/HelpTopics.h"

#include <gtest/gtest.h>

namespace {

// The texts as the Help window must show them, byte for byte.
const char kGeneralUsage[] =
    "Using the program is pretty self-explanatory, or at least I tried to make it that way."
    "\r\n\r\n"
    "Just select the map you plan on playing and click the 'Start' button when the game starts "
    "or you can use the delayed start feature by clicking the 'Delayed Start' button and setting "
    "the amount of time you want it to wait until the game timer actually does start.  This "
    "feature is useful on xbc so that you don't have to leap over to your seat to begin the "
    "game, you can set the delay to 30 seconds and let the clock count down and start it for "
    "you."
    "\r\n\r\n"
    "Click the 'Stop' button to stop the timer, and click reset to reset all timers";

const char kOptions[] =
    "Notify me [  ] seconds before a pwoerup/weapon respawns:"
    "\r\n\tFill in the text box with the number of seconds before it respawns that you want to "
    "be notified (simple, eh?)"
    "\r\n\r\n"
    "Say weapon name on respawn/Play default sound on respawn:"
    "\r\n\tIf you select 'Say item name on respawn' it will do exactly as it says, when a weapon "
    "respawns it will say its name.  If you select 'Play default sound on respawn' it will play "
    "the default sound, you can change the default sound by double clicking on the option "
    "button and browsing to a wav file"
    "\r\n\r\n"
    "Notify me on respawn of:"
    "\r\n\tIf the checkbox next to the weapon name is clicked, it will notify you when that item "
    "respawns"
    "\r\n\r\n"
    "Enable voice recognition:"
    "\r\n\tI actually do have this feature working (I just disabled it and took a little of the "
    "code out of the source because I don't want to mess around with it right now), it's just I "
    "can't really mess around with it because my mic died, and it requires some extra files, "
    "namely the microsoft speech recognition engine.  Basically, what this does is when you say "
    "the name of an item the computer says how many seconds until it is back."
    "\r\n\r\n"
    "Box Type:"
    "\r\n\tJust select whether your box is PAL or NTSC"
    "\r\n\r\n"
    "Miscellaneous Options:"
    "\r\n\tAuto-disable windows screen saver: check it to have the program auto-disable the "
    "screen saver so that it doesn't come on when the program is running"
    "\r\n\tKeep main program window on top: sets the program window on top of all other "
    "windows, so nothing can pop up and block the window in a game."
    "\r\n\tDisable program hotkeys: disables hotkeys (I'm sure you couldn't have guessed that "
    ";-) )";

const char kHotkeys[] = "If hotkeys are enabled these will work."
                        "\r\n\r\n"
                        "(S) starts timer/stops timer (toggle hotkey), same as start button"
                        "\r\n"
                        "(R) does the same thing as the reset button"
                        "\r\n"
                        "(D) delayed start, same as clicking the delayed start button";

TEST(HelpTopics, TextsByteForByte)
{
    EXPECT_EQ(help::topicText(help::GeneralUsage).toLatin1(), kGeneralUsage);
    EXPECT_EQ(help::topicText(help::Options).toLatin1(), kOptions);
    EXPECT_EQ(help::topicText(help::Hotkeys).toLatin1(), kHotkeys);
}

} // namespace
