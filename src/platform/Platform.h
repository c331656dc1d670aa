#pragma once

class SoundPlayer;
class DesktopEffects;
class Dialogs;
class Registry;
class Launcher;
class GlobalShortcuts;

// The platform parts, made once in main() (or by a test, with fakes) and handed
// to the windows.
struct Platform {
    SoundPlayer& sound;
    DesktopEffects& desktop;
    Dialogs& dialogs;
    Registry& registry;
    Launcher& launcher;
    GlobalShortcuts& shortcuts;
};
