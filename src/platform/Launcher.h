#pragma once

#include <QString>

// Starts programs and answers questions about files, for the About box.
class Launcher {
public:
    virtual ~Launcher() = default;

    // True when a plain, visible file of that name exists.
    virtual bool fileExists(const QString& path) const = 0;

    // Starts the program at path directly (never through a shell), detached.
    virtual bool start(const QString& path) = 0;
};
