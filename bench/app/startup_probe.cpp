// Measures a program's start-up to a visible, painted main window and its memory
// once the window is up, on the X display in $DISPLAY (an Xvfb started with -br,
// so that an unpainted window reads back black).
//
// Usage: startup_probe SETTLE_MS TIMEOUT_MS -- PROGRAM [ARGS...]
// Prints one JSON object: milliseconds to the first mapped top-level window of at
// least 100 × 100 pixels, to the moment most of its sample points are no longer
// black, and the program's resident memory (VmRSS, KiB) SETTLE_MS after that.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// The first viewable child of the root window that is large enough to be a main window.
Window findMainWindow(Display* dpy) {
    Window root = DefaultRootWindow(dpy), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, root, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes a;
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable && a.width >= 100 &&
            a.height >= 100 && a.c_class == InputOutput)
            found = children[i];
    }
    if (children) XFree(children);
    return found;
}

// Painted when at least 7 of 9 points spread over the window's part on the screen
// are not black (a window may be taller than the screen).
bool looksPainted(Display* dpy, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, w, &a)) return false;
    const int width = std::min(a.width, WidthOfScreen(a.screen) - a.x);
    const int height = std::min(a.height, HeightOfScreen(a.screen) - a.y);
    if (width < 4 || height < 4) return false;
    XImage* image = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return false;
    int lit = 0;
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j)
            if ((XGetPixel(image, width * i / 4, height * j / 4) & 0xFFFFFF) != 0) ++lit;
    XDestroyImage(image);
    return lit >= 7;
}

long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fprintf(stderr, "usage: %s SETTLE_MS TIMEOUT_MS -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int settleMs = std::atoi(argv[1]);
    const double timeoutMs = std::atof(argv[2]);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreXErrors);  // windows come and go while they are looked at
    if (findMainWindow(dpy)) {
        std::fprintf(stderr, "a window is already on the display\n");
        return 2;
    }
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    double mapped = -1, painted = -1;
    Window w = 0;
    while (painted < 0 && msSince(t0) < timeoutMs) {
        if (!w && (w = findMainWindow(dpy))) mapped = msSince(t0);
        if (w && looksPainted(dpy, w)) painted = msSince(t0);
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long rss = residentKiB(pid);
    kill(pid, SIGTERM);
    for (int i = 0; i < 200 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(dpy);
    std::printf("{\"mapped_ms\": %.1f, \"painted_ms\": %.1f, \"rss_kib\": %ld}\n", mapped, painted, rss);
    return painted < 0 ? 1 : 0;
}
