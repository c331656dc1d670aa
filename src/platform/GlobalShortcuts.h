#pragma once

#include <QObject>
#include <QString>
#include <array>

// What a global shortcut does to the clock.
enum class ShortcutAction { Toggle, Reset, Sync, NudgeForward, NudgeBack };

// One shortcut: the id the desktop knows it by, what it does in the user's words,
// and the key (an X keysym name) that, with Ctrl+Alt, we ask for.
struct ShortcutBinding {
    ShortcutAction action;
    const char* id;
    const char* description;
    const char* key;
};

inline constexpr std::array<ShortcutBinding, 5> shortcutBindings{{
    {ShortcutAction::Toggle, "toggle", "Start or stop the clock", "s"},
    {ShortcutAction::Reset, "reset", "Reset the clock", "r"},
    {ShortcutAction::Sync, "sync", "Sync the clock to the console's second", "y"},
    {ShortcutAction::NudgeForward, "nudge-forward", "Run one tick at once", "Up"},
    {ShortcutAction::NudgeBack, "nudge-back", "Hold the next tick back one second", "Down"},
}};

// Keys that drive the clock whichever window has the focus. enable() answers
// later, with enabled() or failed(), because the desktop may first ask the user.
class GlobalShortcuts : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void enable() = 0;
    virtual void disable() = 0;

signals:
    // note: what the user should know (keys another program holds); usually empty.
    void enabled(const QString& note);
    void failed(const QString& why);
    void activated(ShortcutAction action);
};
