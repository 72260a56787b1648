/* Starts a program under the current X display and measures it from outside:
 *
 *   first_paint_watch [--keys N] [--settle MS] [--settled] [--no-window] -- program [arguments...]
 *
 * Prints one line:  paint_ms=<start to first paint> maxrss_kb=<peak memory>
 * and, with --keys N, also  key_cpu_ms=<program CPU per keystroke>. With
 * --no-window the program is one that shows nothing (a command-line tool): it is
 * waited for, and paint_ms is the time until it exited.
 *
 * "First paint" is the first damage reported on a top-level window of the program
 * after it was mapped: every window made on the root is given an XDamage object as
 * soon as it is created, so no paint can slip past before the watch is in place.
 * (Without a window manager the program's windows are the root's children.)
 *
 * With --settled, paint_ms is instead the time of the last damage before the
 * program stayed idle for --settle ms: a program that paints its window before a
 * picture has come in (it keeps painting while the picture decodes elsewhere) is
 * measured to the paint that shows the picture.
 *
 * With --keys, once the program has painted and stayed idle for --settle ms, N
 * letter keys are typed into it through XTest, each waited on until the program
 * has painted its answer (or 500 ms passed). The program's user and system CPU time
 * over those keys, from the scheduler's accounting in /proc, divided by N is its
 * CPU per keystroke.
 *
 * Then the program is sent SIGTERM and reaped; its peak resident memory comes from
 * the kernel's accounting of the reaped child.
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Waits up to `ms` for the next X event; 0 when none came. */
static int NextEvent(Display* d, XEvent* e, double ms) {
    const double until = Now() + ms;
    for (;;) {
        if (XPending(d)) {
            XNextEvent(d, e);
            return 1;
        }
        const double left = until - Now();
        if (left <= 0) return 0;
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, (int)left + 1);
    }
}

/* CPU time of a process, all its threads, in ms: the scheduler's own nanosecond
 * accounting in /proc/<pid>/task/<tid>/schedstat, which the tick-based user and
 * system times are too coarse for. */
static double CpuMs(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR* dir = opendir(path);
    if (!dir) return -1;
    double total = 0;
    for (struct dirent* t; (t = readdir(dir)) != NULL;) {
        if (t->d_name[0] == '.') continue;
        char stat[320];
        snprintf(stat, sizeof stat, "/proc/%d/task/%s/schedstat", (int)pid, t->d_name);
        FILE* f = fopen(stat, "r");
        if (!f) continue;
        unsigned long long ns = 0;
        if (fscanf(f, "%llu", &ns) == 1) total += ns / 1e6;
        fclose(f);
    }
    closedir(dir);
    return total;
}

/* A damage object dies with its window; a late subtract on it is harmless. */
static int IgnoreXError(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0;
}

int main(int argc, char** argv) {
    int keys = 0;
    int settleMs = 400;
    int noWindow = 0;
    int settled = 0;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (!strcmp(argv[i], "--keys") && i + 1 < argc) keys = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--settle") && i + 1 < argc) settleMs = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--no-window")) noWindow = 1;
        else if (!strcmp(argv[i], "--settled")) settled = 1;
    }
    if (i + 1 >= argc) {
        fprintf(stderr, "usage: %s [--keys N] [--settle MS] [--settled] [--no-window] -- program [arguments...]\n",
                argv[0]);
        return 2;
    }
    char** command = argv + i + 1;

    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "no X display\n");
        return 2;
    }
    int damageEvent, damageError, xtestEvent, xtestError, major, minor;
    if (!XDamageQueryExtension(d, &damageEvent, &damageError) ||
        !XTestQueryExtension(d, &xtestEvent, &xtestError, &major, &minor)) {
        fprintf(stderr, "the X server lacks DAMAGE or XTEST\n");
        return 2;
    }
    XSetErrorHandler(IgnoreXError);
    const Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);

    const double start = Now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        fprintf(stderr, "cannot run %s: %s\n", command[0], strerror(errno));
        _exit(127);
    }

    if (noWindow) {
        int status;
        struct rusage usage;
        while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        const double ms = Now() - start;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            fprintf(stderr, "%s failed\n", command[0]);
            return 1;
        }
        printf("paint_ms=%.2f maxrss_kb=%ld\n", ms, usage.ru_maxrss);
        return 0;
    }

    Window shown = 0;
    double paintMs = -1;
    XEvent e;
    while (paintMs < 0 && NextEvent(d, &e, 20000)) {
        if (e.type == CreateNotify && e.xcreatewindow.parent == root) {
            XDamageCreate(d, e.xcreatewindow.window, XDamageReportNonEmpty);
        } else if (e.type == MapNotify && e.xmap.event == root) {
            if (!shown) shown = e.xmap.window;
        } else if (e.type == damageEvent + XDamageNotify) {
            const XDamageNotifyEvent* de = (const XDamageNotifyEvent*)&e;
            XDamageSubtract(d, de->damage, None, None);
            if (shown && de->drawable == shown) paintMs = Now() - start;
        }
    }

    if (paintMs >= 0 && settled) {
        while (NextEvent(d, &e, settleMs)) {
            if (e.type == damageEvent + XDamageNotify) {
                const XDamageNotifyEvent* de = (const XDamageNotifyEvent*)&e;
                XDamageSubtract(d, de->damage, None, None);
                if (de->drawable == shown) paintMs = Now() - start;
            }
        }
    }

    double keyCpuMs = -1;
    if (paintMs >= 0 && keys > 0) {
        /* Idle first: the first paints and any timers of start-up are done. */
        while (NextEvent(d, &e, settleMs))
            if (e.type == damageEvent + XDamageNotify)
                XDamageSubtract(d, ((XDamageNotifyEvent*)&e)->damage, None, None);
        XSetInputFocus(d, shown, RevertToParent, CurrentTime);
        XSync(d, False);
        const double before = CpuMs(child);
        for (int k = 0; k < keys; ++k) {
            const KeyCode code = XKeysymToKeycode(d, XK_a + k % 26);
            XTestFakeKeyEvent(d, code, True, CurrentTime);
            XTestFakeKeyEvent(d, code, False, CurrentTime);
            XFlush(d);
            while (NextEvent(d, &e, 500)) {
                if (e.type == damageEvent + XDamageNotify) {
                    XDamageSubtract(d, ((XDamageNotifyEvent*)&e)->damage, None, None);
                    break;
                }
            }
        }
        /* Let the last key's work finish before reading the clock. */
        while (NextEvent(d, &e, 100))
            if (e.type == damageEvent + XDamageNotify)
                XDamageSubtract(d, ((XDamageNotifyEvent*)&e)->damage, None, None);
        keyCpuMs = (CpuMs(child) - before) / keys;
    }

    kill(child, SIGTERM);
    int status;
    struct rusage usage;
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    XCloseDisplay(d);
    if (paintMs < 0) {
        fprintf(stderr, "%s showed no painted window\n", command[0]);
        return 1;
    }
    printf("paint_ms=%.2f maxrss_kb=%ld", paintMs, usage.ru_maxrss);
    if (keys > 0) printf(" key_cpu_ms=%.4f", keyCpuMs);
    printf("\n");
    return 0;
}
