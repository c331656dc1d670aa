#pragma once

#include "platform/Launcher.h"

// Starts programs with QProcess, never through a shell.
class SystemLauncher : public Launcher {
public:
    bool fileExists(const QString& path) const override;
    bool start(const QString& path) override;
};
