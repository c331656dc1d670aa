// How fast times.ini is read, and what a large one costs at start-up.
//
// Reads: ReadIni calls per second on files of about 1 KB, 1 MB and 10 MB (the
// shipped file repeated), once for a key near the top and once for a key whose
// section is missing, which reads the whole file; then the settings loads per
// second, the 66 values of one read each with ReadIni or all from one snapshot.
// Start-up: the staged program started under a private X server (Xvfb, no window
// manager) with the shipped times.ini and with one of 10 MiB, taking turns; the
// time from the start to its main window being mapped.
//
//   ini-bench PROGRAM_FOLDER [--runs N]

#include "settings/Ini.h"
#include "settings/Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace {

const char* const kTitle = "Zorvu Weapon/Powerup Respawn Timer";

QByteArray repeated(const QByteArray& unit, qint64 size)
{
    QByteArray out;
    while (out.size() < size)
        out += unit;
    return out;
}

bool put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double perSecond(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    qint64 n = 0;
    while (timer.elapsed() < 1000 || n < 3) {
        work();
        ++n;
    }
    return n * 1000.0 / timer.elapsed();
}

// What one settings load reads: the settings section, then the maps' periods.
void load(const QString& file, bool snapshot)
{
    std::optional<IniSnapshot> ini;
    if (snapshot)
        ini.emplace(file);
    auto read = [&](const QString& section, const QString& key) {
        return ini ? ini->value(section, key) : ReadIni(section, key, file);
    };
    for (const setting::Key& key : setting::keys())
        read(setting::section, QString::fromLatin1(key.name));
    for (int map = 0; map < 13; ++map)
        for (const char* item : {"sniper", "rocket", "camo", "overshield"})
            read(QString::number(map), QString::fromLatin1(item));
}

// Whether a mapped top-level window has the program's title.
bool windowMapped(Display* display)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        char* name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable
            && XFetchName(display, children[i], &name) && name) {
            found = QByteArray(name).startsWith(kTitle);
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// Milliseconds from starting the program to its window being mapped, or -1.
double startupMs(const QString& program, const QProcessEnvironment& env, Display* display)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProgram(program);
    QElapsedTimer timer;
    timer.start();
    p.start();
    double ms = -1;
    while (timer.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
        if (windowMapped(display)) {
            ms = timer.nsecsElapsed() / 1e6;
            break;
        }
        QThread::usleep(500);
    }
    p.kill();
    p.waitForFinished();
    return ms;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument("folder", "the staged program folder");
    parser.addOption({"runs", "start-ups per file", "N", "7"});
    parser.addHelpOption();
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString staged = parser.positionalArguments().first();
    QFile shipped(staged + "/times.ini");
    if (!shipped.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no times.ini in %s\n", qPrintable(staged));
        return 1;
    }
    const QByteArray unit = shipped.readAll();
    QTemporaryDir tmp;

    std::printf("%-8s %16s %16s %16s %16s\n", "file", "key near top/s", "key missing/s",
                "loads by key/s", "loads, 1 read/s");
    for (const auto& [label, size] : {std::pair{"1 KB", 1000}, {"1 MB", 1000000}, {"10 MB", 10000000}}) {
        const QString file = tmp.filePath("reads.ini");
        put(file, repeated(unit, size));
        std::printf("%-8s %16.0f %16.0f %16.0f %16.0f\n", label,
                    perSecond([&] { ReadIni("settings", "time", file); }),
                    perSecond([&] { ReadIni("nosuchsection", "time", file); }),
                    perSecond([&] { load(file, false); }), perSecond([&] { load(file, true); }));
    }

    // A private X server: -displayfd writes its number once it takes clients.
    QProcess xvfb;
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    if (!xvfb.waitForReadyRead(20000)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const QByteArray displayName = ':' + xvfb.readAllStandardOutput().trimmed();
    Display* display = XOpenDisplay(displayName.constData());
    if (!display) {
        std::fprintf(stderr, "cannot open display %s\n", displayName.constData());
        return 1;
    }

    // Only the program file and times.ini: the start-up must not wait for sound
    // servers or a session bus, which belong to whoever runs this.
    const QString folder = tmp.filePath("program");
    QDir().mkpath(folder);
    const QString program = folder + "/zorvu-timer";
    QFile::copy(staged + "/zorvu-timer", program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", displayName);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("PULSE_SERVER", "unix:/nonexistent/zorvu-bench");
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zorvu-bench");

    const QByteArray large = repeated(unit, 10 << 20);
    const int runs = parser.value("runs").toInt();
    std::vector<double> normal, big;
    for (int i = 0; i < runs; ++i) {
        QFile::remove(folder + "/times.ini");
        put(folder + "/times.ini", unit);
        normal.push_back(startupMs(program, env, display));
        QFile::remove(folder + "/times.ini");
        put(folder + "/times.ini", large);
        big.push_back(startupMs(program, env, display));
    }
    std::printf("start-up to window mapped, median of %d: shipped times.ini %.1f ms, 10 MiB times.ini %.1f ms\n",
                runs, median(normal), median(big));

    XCloseDisplay(display);
    xvfb.terminate();
    xvfb.waitForFinished();
    return 0;
}
