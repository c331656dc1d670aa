#pragma once

#include "platform/DesktopEffects.h"
#include "platform/Dialogs.h"
#include "platform/GlobalShortcuts.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SoundPlayer.h"
#include "support/FakeClock.h"
#include "support/Printers.h"

#include <QStringList>
#include <map>
#include <utility>

// Fakes of the platform parts: they record what was asked and answer from a script.

struct FakeSound : SoundPlayer {
    QStringList played;
    SoundOutput output;
    QList<SoundDevice> outputDevices;
    QList<std::pair<QString, SoundOutput>> playedThrough;
    void play(const QString& file) override { played << file; }
    void playThrough(const QString& file, const SoundOutput& through) override
    {
        playedThrough << std::make_pair(file, through);
    }
    void setOutput(const SoundOutput& chosen) override { output = chosen; }
    QList<SoundDevice> devices() const override { return outputDevices; }
    QStringList prepared;
    void prepare(const QStringList& files) override { prepared = files; }
};

struct FakeDesktop : DesktopEffects {
    QList<bool> onTopCalls;
    QList<bool> screenSaverCalls;
    int outputs = 1;
    void setAlwaysOnTop(QWidget*, bool onTop) override { onTopCalls << onTop; }
    bool enableScreenSaver(bool enable) override { screenSaverCalls << enable; return true; }
    int soundOutputCount() override { return outputs; }
};

struct FakeDialogs : Dialogs {
    // Answers in order; when they run out, Cancel (the empty text for an input box).
    QStringList inputAnswers;
    QStringList fileAnswers;
    int inputs = 0;
    QList<std::pair<QString, QString>> messages; // text, title
    QList<std::pair<QWidget*, OpenFileRequest>> browses; // the window each was opened over

    QString inputBox(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++inputs;
        return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
    }
    void messageBox(QWidget*, const QString& text, const QString& title) override
    {
        messages << std::make_pair(text, title);
    }
    std::optional<QString> openFile(QWidget* owner, const OpenFileRequest& request) override
    {
        browses << std::make_pair(owner, request);
        return fileAnswers.isEmpty() ? std::nullopt : std::optional(fileAnswers.takeFirst());
    }
};

struct FakeRegistry : Registry {
    // key name -> value name -> value
    std::map<QString, std::map<QString, RegistryValue>> keys;
    bool keyExists(quint32 root, const QString& keyName) const override
    {
        return root == LocalMachine && keys.count(keyName) > 0;
    }
    std::optional<RegistryValue> value(quint32 root, const QString& keyName,
                                       const QString& valueName) const override
    {
        if (!keyExists(root, keyName) || !keys.at(keyName).count(valueName))
            return std::nullopt;
        return keys.at(keyName).at(valueName);
    }
};

struct FakeLauncher : Launcher {
    QStringList existingFiles;
    QStringList started;
    bool startSucceeds = true;
    bool fileExists(const QString& path) const override { return existingFiles.contains(path); }
    bool start(const QString& path) override { started << path; return startSucceeds; }
};

struct FakeShortcuts : GlobalShortcuts {
    QString refusal; // the desktop's answer when it refuses them
    void enable() override { refusal.isEmpty() ? emit enabled({}) : emit failed(refusal); }
    void disable() override {}
};

struct FakePlatform {
    FakeSound sound;
    FakeDesktop desktop;
    FakeDialogs dialogs;
    FakeRegistry registry;
    FakeLauncher launcher;
    FakeClocks clocks;
    FakeShortcuts shortcuts;
    Platform platform{sound, desktop, dialogs, registry, launcher, shortcuts};
};
