// Starts programs one after another, alternating, and times each from the
// moment before it is started to the moment the X server maps its first
// top-level window; then ends it. Prints each program's median and the ratio of
// every program's median to the first's.
//
//   startup-map-timer RUNS PROGRAM... (each PROGRAM one argument; run in $DISPLAY)
//
// The map is seen as a MapNotify on the root window: with a window manager that
// is its frame, mapped once the manager has taken the window on, the same work
// for every program. The CPU time (user + system) the program used until it was
// ended is printed too: it suffers less from other work on the machine.
#include <X11/Xlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Waits until a top-level window is mapped; false after the timeout.
bool waitForMap(Display* display, double timeout)
{
    const double deadline = now() + timeout;
    const int fd = ConnectionNumber(display);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                return true;
        }
        const double left = deadline - now();
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, int(left * 1000) + 1);
    }
}

struct Run {
    double mapMs;
    double cpuMs;
};

bool runOnce(Display* display, const std::string& program, Run& run)
{
    XSync(display, True); // drop what earlier runs left
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const double start = now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::perror(program.c_str());
        return false;
    }
    const bool mapped = waitForMap(display, 20);
    run.mapMs = (now() - start) * 1000;
    kill(pid, SIGKILL); // at once: what the program does after the map is not counted
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    if (!mapped)
        std::fprintf(stderr, "%s: no window within 20 s\n", program.c_str());
    // Let the window manager and the X server finish with the window.
    XSync(display, False);
    usleep(100 * 1000);
    return mapped;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::string> programs(argv + 2, argv + argc);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

    std::vector<std::vector<double>> map(programs.size()), cpu(programs.size());
    // One warm-up round: the first start of each reads its libraries from disk.
    for (int round = -1; round < runs; ++round)
        for (size_t p = 0; p < programs.size(); ++p) {
            Run run{};
            if (!runOnce(display, programs[p], run))
                return 1;
            if (round >= 0) {
                map[p].push_back(run.mapMs);
                cpu[p].push_back(run.cpuMs);
            }
        }

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("start-up to the window's map, %d runs each, alternating; load average %.2f %.2f %.2f\n",
                runs, load[0], load[1], load[2]);
    std::printf("%-12s %12s %12s %12s %12s\n", "", "median ms", "ratio", "cpu ms", "cpu ratio");
    for (size_t p = 0; p < programs.size(); ++p) {
        std::string name = programs[p].substr(programs[p].rfind('/') + 1);
        std::printf("%-12s %12.1f %12.2f %12.1f %12.2f\n", name.c_str(), median(map[p]),
                    median(map[p]) / median(map[0]), median(cpu[p]), median(cpu[p]) / median(cpu[0]));
    }
    XCloseDisplay(display);
    return 0;
}
