// Plays a wave file on every tick of the game clock's timer and prints each
// tick's moment (CLOCK_MONOTONIC, seconds), so that a recording of the sound
// server's output can tell how long each sound took to be heard.
//
// usage: tick_to_sound FILE TICKS [VOLUME [DEVICE]]  (default: 100 %, the default output)
#include "platform/DeadlineTimer.h"
#include "platform/QtSoundPlayer.h"

#include <QCoreApplication>
#include <QGuiApplication>
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
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: tick_to_sound FILE TICKS [VOLUME [DEVICE]]\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int ticks = std::atoi(argv[2]);

    QtSoundPlayer player; // made before the clock starts, as in the program
    player.setOutput({argc > 4 ? QByteArray(argv[4]) : QByteArray(), argc > 3 ? std::atoi(argv[3]) : 100});
    DeadlineTimer timer(1000);
    int count = 0;
    QObject::connect(&timer, &DeadlineTimer::timeout, &app, [&] {
        std::printf("tick %d %.6f\n", ++count, now());
        std::fflush(stdout);
        player.play(file);
        if (count == ticks) {
            timer.stop();
            QTimer::singleShot(1000, &app, &QCoreApplication::quit);
        }
    });
    std::printf("start %.6f\n", now());
    std::fflush(stdout);
    timer.start();
    return app.exec();
}
