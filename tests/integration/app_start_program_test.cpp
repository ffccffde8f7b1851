// The telvoxa program as a process meets the desktop: without a display it
// says so and ends with status 1; a second start, after its message, brings
// the first one's window forward, in front of others and with the focus
// (under a virtual X display); its message comes up in front even of a
// handset kept on top after a ring (under a window manager).

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "support/ChildProgram.h"
#include "support/SampleBooks.h"
#include "support/ScratchDir.h"
#include "support/VCardWriter.h"

// After the test framework: Xlib's macros would clash with its names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kNoDisplay = "Telvoxa needs a graphical desktop (no display found)";

// Output lines until the program closes its output.
std::string AllOutput(ChildProgram& program) {
    std::string text;
    for (std::string line = program.ReadLine(); !line.empty(); line = program.ReadLine())
        text += line + "\n";
    return text;
}

// Polls `ready` until it holds; false when it did not within generous time.
bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds within = 30s) {
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < end) {
        if (ready()) return true;
        usleep(20000);
    }
    return false;
}

class AppStart : public testing::Test {
protected:
    void SetUp() override {
        dir = scratch.Path();
        fs::create_directories(dir / "config" / "Orvel Applications");
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
    }

    ScratchDir scratch;
    fs::path dir;
};

TEST_F(AppStart, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    struct Case {
        const char* name;
        const char* display;  // null: unset
        const char* platform;
    };
    const Case cases[] = {
        {"no display at all", nullptr, nullptr},
        {"X11 chosen, no DISPLAY", nullptr, "xcb"},
        {"a display nobody serves", ":64999", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.display ? setenv("DISPLAY", c.display, 1) : unsetenv("DISPLAY");
        c.platform ? setenv("QT_QPA_PLATFORM", c.platform, 1) : unsetenv("QT_QPA_PLATFORM");
        ChildProgram app(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
        const std::string output = AllOutput(app);
        EXPECT_EQ(app.Wait(), 1) << output;
        EXPECT_NE(output.find(kNoDisplay), std::string::npos) << output;
        EXPECT_EQ(output.find("Reinstalling"), std::string::npos) << output;
        EXPECT_FALSE(fs::exists(dir / "config" / "Orvel Applications" / "telvoxa.conf"));
    }
}

// A viewable top-level window of the virtual display.
struct TopWindow {
    Window id;
    std::string name;
};

class VirtualDisplay {
public:
    VirtualDisplay()
        : m_server("/usr/bin/Xvfb",
                   {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"}) {
        const std::string number = m_server.ReadLine(20s);
        if (number.empty()) return;
        m_name = ":" + number;
        m_display = XOpenDisplay(m_name.c_str());
        // A window may go between finding it and acting on it; Xlib's own
        // handler would end the test for that.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~VirtualDisplay() {
        if (m_display) XCloseDisplay(m_display);
    }
    bool Open() const { return m_display != nullptr; }
    const std::string& Name() const { return m_name; }

    // Bottom to top: as a window manager stacks its clients, else as the
    // server stacks the windows.
    std::vector<TopWindow> Windows() const {
        std::vector<TopWindow> found;
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!ManagedWindows(children, count) &&
            !XQueryTree(m_display, DefaultRootWindow(m_display), &root, &parent, &children, &count))
            return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            char* name = nullptr;
            if (XGetWindowAttributes(m_display, children[i], &attributes) &&
                attributes.map_state == IsViewable && XFetchName(m_display, children[i], &name) &&
                name) {
                found.push_back({children[i], name});
            }
            if (name) XFree(name);
        }
        if (children) XFree(children);
        return found;
    }
    // The first viewable window named `name` that is not `besides`.
    Window Find(const std::string& name, Window besides = 0) const {
        for (const TopWindow& window : Windows())
            if (window.name == name && window.id != besides) return window.id;
        return 0;
    }
    bool IsTopmost(Window window) const {
        const std::vector<TopWindow> windows = Windows();
        return !windows.empty() && windows.back().id == window;
    }
    // Whether a window manager keeps the stacking list.
    bool Managed() const {
        Window* windows = nullptr;
        unsigned count = 0;
        const bool managed = ManagedWindows(windows, count);
        if (windows) XFree(windows);
        return managed;
    }
    Window Focus() const {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        return focus;
    }
    void Focus(Window window) {
        XRaiseWindow(m_display, window);
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    void PressReturn() { PressKey(XK_Return); }
    void PressKey(KeySym symbol) {
        const KeyCode key = XKeysymToKeycode(m_display, symbol);
        XTestFakeKeyEvent(m_display, key, True, CurrentTime);
        XTestFakeKeyEvent(m_display, key, False, CurrentTime);
        XSync(m_display, False);
    }

private:
    // _NET_CLIENT_LIST_STACKING of the root window, where a manager keeps it.
    bool ManagedWindows(Window*& windows, unsigned& count) const {
        const Atom stacking = XInternAtom(m_display, "_NET_CLIENT_LIST_STACKING", True);
        if (stacking == None) return false;
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, DefaultRootWindow(m_display), stacking, 0, 4096, False,
                               XA_WINDOW, &type, &format, &items, &after, &data) != Success ||
            type != XA_WINDOW || format != 32) {
            if (data) XFree(data);
            return false;
        }
        windows = reinterpret_cast<Window*>(data);
        count = static_cast<unsigned>(items);
        return true;
    }

    ChildProgram m_server;
    std::string m_name;
    Display* m_display = nullptr;
};

TEST_F(AppStart, ASecondStartBringsTheFirstWindowForwardWithTheFocus) {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay x;
    ASSERT_TRUE(x.Open());
    setenv("DISPLAY", x.Name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    const fs::path link = dir / "phone-link";
    ChildProgram phone(TELVOXA_PHONE_PATH, {"--link", link.string(), "--stay"});
    ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    std::ofstream(dir / "config" / "Orvel Applications" / "telvoxa.conf")
        << "[connection]\nport=0\ncable=0\n\n[ports]\nCOM1=" << link.string() << "\n";

    ChildProgram first(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
    Window handset = 0;
    ASSERT_TRUE(WaitUntil([&] { return (handset = x.Find("Telvoxa")) != 0; }));
    // Another program's window in front of it, with the focus.
    ChildProgram other(BARE_WINDOW_PATH, {});
    Window bare = 0;
    ASSERT_TRUE(WaitUntil([&] { return (bare = x.Find("bare")) != 0; }));
    x.Focus(bare);
    ASSERT_TRUE(WaitUntil([&] { return x.IsTopmost(bare) && x.Focus() == bare; }));

    ChildProgram second(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
    Window message = 0;
    ASSERT_TRUE(WaitUntil([&] { return (message = x.Find("Telvoxa", handset)) != 0; }));
    // The first one stays where it is while the message is up.
    EXPECT_FALSE(x.IsTopmost(handset));
    // OK on "Already Running !!" (again, should the box not have had the
    // keyboard yet).
    ASSERT_TRUE(WaitUntil([&] {
        if (!x.Find("Telvoxa", handset)) return true;
        x.Focus(message);
        x.PressReturn();
        return false;
    }));
    EXPECT_EQ(second.Wait(20s), 0);

    EXPECT_TRUE(WaitUntil([&] { return x.IsTopmost(handset) && x.Focus() == handset; }))
        << "topmost " << x.IsTopmost(handset) << ", focus " << x.Focus() << " not " << handset;
    EXPECT_TRUE(first.Running());
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(20s), 0);
}

TEST_F(AppStart, ASecondStartsMessageComesUpInFrontOfAHandsetKeptOnTop) {
    if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/openbox", X_OK) != 0)
        GTEST_SKIP() << "Xvfb or openbox is not installed";
    VirtualDisplay x;
    ASSERT_TRUE(x.Open());
    setenv("DISPLAY", x.Name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // A window manager that honours "keep on top".
    ChildProgram manager("/usr/bin/openbox", {"--sm-disable"}, ChildProgram::Stderr::IntoStdout);
    ASSERT_TRUE(WaitUntil([&] { return x.Managed(); }));

    const fs::path link = dir / "phone-link";
    ChildProgram phone(TELVOXA_PHONE_PATH, {"--link", link.string(), "--stay"});
    ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    std::ofstream(dir / "config" / "Orvel Applications" / "telvoxa.conf")
        << "[connection]\nport=0\ncable=0\n\n[ports]\nCOM1=" << link.string() << "\n";
    ChildProgram first(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
    Window handset = 0;
    ASSERT_TRUE(WaitUntil([&] { return (handset = x.Find("Telvoxa")) != 0; }));
    ChildProgram other(BARE_WINDOW_PATH, {});
    Window bare = 0;
    ASSERT_TRUE(WaitUntil([&] { return (bare = x.Find("bare")) != 0; }));
    x.Focus(bare);
    ASSERT_TRUE(WaitUntil([&] { return x.IsTopmost(bare); }));
    // The ring brings the handset in front, kept there for the rest of the run.
    phone.Send("ring 09012345678\n");
    ASSERT_TRUE(WaitUntil([&] { return x.IsTopmost(handset); }));
    x.Focus(bare);

    ChildProgram second(TELVOXA_APP_PATH, {}, ChildProgram::Stderr::IntoStdout);
    Window message = 0;
    ASSERT_TRUE(WaitUntil([&] { return (message = x.Find("Telvoxa", handset)) != 0; }));
    EXPECT_TRUE(WaitUntil([&] { return x.IsTopmost(message); }, 5s)) << "the message is hidden";
    ASSERT_TRUE(WaitUntil([&] {
        if (!x.Find("Telvoxa", handset)) return true;
        x.Focus(message);
        x.PressReturn();
        return false;
    }));
    EXPECT_EQ(second.Wait(20s), 0);
    EXPECT_TRUE(WaitUntil([&] { return x.IsTopmost(handset); }));
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(20s), 0);
}

TEST_F(AppStart, ALinksNumberIsShownFirstAndDialledOnlyBySend) {
    if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay x;
    ASSERT_TRUE(x.Open());
    setenv("DISPLAY", x.Name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    const fs::path link = dir / "phone-link";
    ChildProgram phone(TELVOXA_PHONE_PATH, {"--link", link.string(), "--stay"});
    ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    std::ofstream(dir / "book.vcf") << VCardBytes(DemoBook());
    std::ofstream(dir / "config" / "Orvel Applications" / "telvoxa.conf")
        << "[connection]\nport=0\ncable=0\n\n[ports]\nCOM1=" << link.string()
        << "\n\n[ini]\nmdd=" << (dir / "book.vcf").string() << "\n";
    // A dial key extends the number shown, then send dials it: a number
    // dialled before send would be the phone's first dial instead.
    const auto sendDials = [&](Window handset, const std::string& dialled) {
        x.Focus(handset);
        x.PressKey(XK_9);
        x.PressKey(XK_s);
        bool dialledIt = false;
        for (std::string line = phone.ReadLine(); !line.empty(); line = phone.ReadLine()) {
            if (line.rfind("<- DIAL ", 0) != 0) continue;
            dialledIt = line == "<- DIAL " + dialled + "9 caller-id=off";
            EXPECT_TRUE(dialledIt) << line;
            break;
        }
        x.PressKey(XK_q);
        return dialledIt;
    };

    // Not yet running: the program starts with the number.
    ChildProgram first(TELVOXA_APP_PATH, {"tel:+81-90-1234-5678"},
                       ChildProgram::Stderr::IntoStdout);
    Window handset = 0;
    ASSERT_TRUE(WaitUntil([&] { return (handset = x.Find("Telvoxa")) != 0; }));
    EXPECT_TRUE(sendDials(handset, "09012345678"));

    // Running: a later link hands its number over and ends, with no box.
    ChildProgram second(TELVOXA_APP_PATH, {"callto:03-1234-5678"},
                        ChildProgram::Stderr::IntoStdout);
    EXPECT_EQ(second.Wait(20s), 0);
    EXPECT_EQ(x.Find("Telvoxa", handset), 0u);
    EXPECT_TRUE(sendDials(handset, "0312345678"));

    // A bad link clicked in a browser, where no terminal sees the line on
    // standard error: a box says why as well, and the run ends once it is read.
    ChildProgram bad(TELVOXA_APP_PATH, {"tel:abc"}, ChildProgram::Stderr::IntoStdout);
    EXPECT_TRUE(
        bad.ReadUntil("telvoxa: \"tel:abc\" is not a phone number: \"a\" cannot be dialled"));
    Window box = 0;
    ASSERT_TRUE(WaitUntil([&] { return (box = x.Find("Telvoxa", handset)) != 0; }));
    x.Focus(box);
    x.PressReturn();
    EXPECT_EQ(bad.Wait(20s), 2);
    EXPECT_TRUE(sendDials(handset, ""));

    EXPECT_TRUE(first.Running());
    first.Signal(SIGTERM);
    EXPECT_EQ(first.Wait(20s), 0);
}

}  // namespace
