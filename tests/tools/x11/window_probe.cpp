// Measures from outside, through the X server, what a user feels of a window:
// how long a program takes until its window is on the screen, and how long a
// key press takes until the window shows something new.
//
//   window_probe launch TITLE TIMEOUT_MS PROGRAM [ARGS...]
//       starts PROGRAM and prints "visible_ms N" once a top-level window named
//       TITLE is mapped and painted (not of one colour), then "pid N"; the
//       program is left running.
//   window_probe keys TITLE COUNT KEYSYM
//       gives that window the focus and presses KEYSYM COUNT times, measuring
//       each time until the window's pixels change; prints every figure, then
//       "median_ms N" and "worst_ms N".

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Windows come and go while the tree is walked (the last run's program is
// still being torn down): a request about one that has just gone fails, and
// Xlib's default handler would end the probe for it. The call's own result
// tells the caller instead.
int IgnoreError(Display*, XErrorEvent*) {
    return 0;
}

// A loaded server may refuse a connection for a moment.
Display* OpenDisplay() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (Display* dpy = XOpenDisplay(nullptr)) return dpy;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

// The process a window says it belongs to (_NET_WM_PID), 0 when it does not say.
long WindowPid(Display* dpy, Window window) {
    const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(dpy, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) == Success &&
        data && format == 32 && items == 1) {
        pid = *reinterpret_cast<long*>(data);
    }
    if (data) XFree(data);
    return pid;
}

// A viewable window named `title` below `parent`, searched depth first. When
// `pid` is set, a window of another process (the last run's, still being torn
// down) does not count.
Window FindWindow(Display* dpy, Window parent, const char* title, long pid = 0) {
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        char* name = nullptr;
        if (XGetWindowAttributes(dpy, children[i], &attributes) &&
            attributes.map_state == IsViewable && XFetchName(dpy, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0) {
                const long owner = pid ? WindowPid(dpy, children[i]) : 0;
                if (owner == 0 || owner == pid) found = children[i];
            }
        }
        if (name) XFree(name);
        if (!found) found = FindWindow(dpy, children[i], title, pid);
    }
    if (children) XFree(children);
    return found;
}

// The window's pixels, or empty when it cannot be read (yet).
std::vector<char> Pixels(Display* dpy, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(dpy, window, &attributes) || attributes.width <= 0) return {};
    XImage* image = XGetImage(dpy, window, 0, 0, unsigned(attributes.width),
                              unsigned(attributes.height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<char> bytes(image->data,
                            image->data + size_t(image->bytes_per_line) * size_t(image->height));
    XDestroyImage(image);
    return bytes;
}

bool OfOneColour(const std::vector<char>& pixels) {
    if (pixels.size() < 4) return true;
    for (size_t i = 4; i + 4 <= pixels.size(); i += 4) {
        if (std::memcmp(&pixels[i], &pixels[0], 3) != 0) return false;
    }
    return true;
}

int Launch(Display* dpy, const char* title, int timeoutMs, char** program) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The program's output must not hold the caller's pipe open.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(program[0], program);
        _exit(127);
    }
    if (pid < 0) return 1;
    while (MsSince(start) < timeoutMs) {
        if (const Window window = FindWindow(dpy, DefaultRootWindow(dpy), title, long(pid))) {
            if (!OfOneColour(Pixels(dpy, window))) {
                std::printf("visible_ms %.0f\npid %d\n", MsSince(start), int(pid));
                return 0;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::printf("visible_ms timeout\npid %d\n", int(pid));
    return 1;
}

int Keys(Display* dpy, const char* title, int count, const char* keysymName) {
    const Window window = FindWindow(dpy, DefaultRootWindow(dpy), title);
    const KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(keysymName));
    if (!window || !code) {
        std::fprintf(stderr, "window_probe: no window %s or no key %s\n", title, keysymName);
        return 1;
    }
    XRaiseWindow(dpy, window);
    XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
    XSync(dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<double> figures;
    for (int i = 0; i < count; ++i) {
        // Presses fall at different moments of the window's own work.
        std::this_thread::sleep_for(std::chrono::milliseconds(120 + 37 * (i % 7)));
        const std::vector<char> before = Pixels(dpy, window);
        const auto start = Clock::now();
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
        XFlush(dpy);
        double ms = -1;
        while (MsSince(start) < 3000) {
            if (Pixels(dpy, window) != before) {
                ms = MsSince(start);
                break;
            }
        }
        std::printf("key_ms %.1f\n", ms);
        figures.push_back(ms < 0 ? 3000 : ms);
    }
    std::sort(figures.begin(), figures.end());
    std::printf("median_ms %.1f\nworst_ms %.1f\n", figures[figures.size() / 2], figures.back());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* dpy = OpenDisplay();
    XSetErrorHandler(&IgnoreError);
    if (!dpy) {
        std::fprintf(stderr, "window_probe: no X display\n");
        return 2;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "launch" && argc > 4) return Launch(dpy, argv[2], std::atoi(argv[3]), argv + 4);
    if (command == "keys" && argc == 5) return Keys(dpy, argv[2], std::atoi(argv[3]), argv[4]);
    std::fprintf(stderr,
                 "usage: window_probe launch TITLE TIMEOUT_MS PROGRAM [ARGS...]\n"
                 "       window_probe keys TITLE COUNT KEYSYM\n");
    return 2;
}
