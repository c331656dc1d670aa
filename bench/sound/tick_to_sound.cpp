// Runs the running match on its own tick timer with the program's sound player, in
// a folder of its own whose times.ini has the Sniper Rifle respawn every second, so
// that every tick plays FILE; prints the moment each tick's sound was due (its tick
// plus the callout offset; CLOCK_MONOTONIC, seconds), so that a recording of the
// sound server's output can tell how long each sound took to be heard.
//
// usage: tick_to_sound FILE TICKS [VOLUME [DEVICE [OFFSET_MS]]]
//        (default: 100 %, the default output, no offset)
#include "platform/QtSoundPlayer.h"
#include "settings/Ini.h"
#include "timer/RunningMatch.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <ctime>

static double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3 || argc > 6) {
        std::fprintf(stderr, "usage: tick_to_sound FILE TICKS [VOLUME [DEVICE [OFFSET_MS]]]\n");
        return 2;
    }
    const int ticks = std::atoi(argv[2]);
    QTemporaryDir folder;
    const program::Files files = program::inFolder(folder.path());
    QDir(folder.path()).mkdir(QStringLiteral("sounds"));
    QFile::copy(QString::fromLocal8Bit(argv[1]), folder.filePath(QStringLiteral("sounds/s.wav")));
    WriteIni(QStringLiteral("settings"),
             {{QStringLiteral("notifysniper"), QStringLiteral("1")},
              {QStringLiteral("volume"), QString::fromLatin1(argc > 3 ? argv[3] : "100")},
              {QStringLiteral("outputdevice"), QString::fromLocal8Bit(argc > 4 ? argv[4] : "")}},
             files.settings);
    WriteIni(QStringLiteral("0"), QStringLiteral("sniper"), QStringLiteral("1"), files.settings);

    QtSoundPlayer player; // made before the clock starts, as in the program
    SteadyTickClocks clocks;
    RunningMatch running(files, clocks, player);
    running.load([] { return true; });
    const int offsetMs = argc > 5 ? std::atoi(argv[5]) : 0;
    running.setCalloutOffset(offsetMs);
    int count = 0;
    double started = 0;
    QObject::connect(&running, &RunningMatch::changed, &app, [&](const Outcome& outcome) {
        if (!(outcome.changed & Outcome::Clock))
            return;
        ++count;
        std::printf("tick %d %.6f\n", count, started + count + offsetMs / 1000.0);
        std::fflush(stdout);
        if (count == ticks) {
            running.stop();
            QTimer::singleShot(1000, &app, &QCoreApplication::quit);
        }
    });
    started = now();
    std::printf("start %.6f\n", started);
    std::fflush(stdout);
    running.start();
    return app.exec();
}
