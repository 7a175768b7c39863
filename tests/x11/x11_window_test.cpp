// Finding, reading and activating windows, with no window manager and under openbox; a minimised xterm
// restored without a manager.
// gtest first: Xlib defines None, Bool and Status as macros.
// clang-format off
#include "x11_test_helpers.h"
// clang-format on

#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>

namespace quill::x11test {
namespace {

using platform::WindowHandle;

// A window made by the test's own connection.
Window makeWindow(Display* display, Window parent = None, bool overrideRedirect = false) {
    if (parent == None) parent = DefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = overrideRedirect ? True : False;
    return XCreateWindow(display, parent, 10, 10, 120, 80, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWOverrideRedirect, &attributes);
}

void setProperty(Display* display, Window window, const char* name, const char* type, int format,
                 const void* data, int count) {
    XChangeProperty(display, window, XInternAtom(display, name, False), XInternAtom(display, type, False),
                    format, PropModeReplace, static_cast<const unsigned char*>(data), count);
}

std::vector<WindowHandle> walk(platform::WindowSystem& windows) {
    std::vector<WindowHandle> order;
    for (WindowHandle window = windows.firstWindow(windows.desktopWindow()); window != platform::kNoWindow;
         window = windows.nextWindow(window))
        order.push_back(window);
    return order;
}

std::ptrdiff_t positionOf(const std::vector<WindowHandle>& order, Window window) {
    const auto found = std::find(order.begin(), order.end(), static_cast<WindowHandle>(window));
    return found == order.end() ? -1 : found - order.begin();
}

using X11Windows = OnServer<92>;

TEST(X11Open, NoServerGivesAGermanMessage) {
    std::string error;
    EXPECT_EQ(platform::x11::X11WindowSystem::open(":1999", &error), nullptr);
    EXPECT_NE(error.find("Keine Verbindung zum X-Server \":1999\""), std::string::npos) << error;
}

TEST_F(X11Windows, WindowsAreListedTopmostFirstWithTitlesAndProcesses) {
    const Window utf8Titled = makeWindow(display);
    setProperty(display, utf8Titled, "_NET_WM_NAME", "UTF8_STRING", 8, "Ultima Online - Grüße", 23);
    const long pid = 4242;
    setProperty(display, utf8Titled, "_NET_WM_PID", "CARDINAL", 32, &pid, 1);
    // WM_NAME only, in Latin-1; no _NET_WM_PID, so the owner comes from the X resource extension.
    const Window latin1Titled = makeWindow(display);
    setProperty(display, latin1Titled, "WM_NAME", "STRING", 8, "Ultima Online - \xC4rger", 21);
    const Window compoundTitled = makeWindow(display);
    char greek[] = "Ultima Online - Καλημέρα";
    char* list[] = {greek};
    XTextProperty text{};
    ASSERT_EQ(Xutf8TextListToTextProperty(display, list, 1, XCompoundTextStyle, &text), Success);
    XSetWMName(display, compoundTitled, &text);
    XFree(text.value);
    const Window untitled = makeWindow(display);
    const Window popup = makeWindow(display, None, true);
    // A frame as a reparenting manager makes it: the client inside, carrying WM_STATE, is listed.
    const Window frame = makeWindow(display);
    const Window framedClient = makeWindow(display, frame);
    const long normal[2] = {NormalState, None};
    setProperty(display, framedClient, "WM_STATE", "WM_STATE", 32, normal, 2);
    setProperty(display, framedClient, "WM_NAME", "STRING", 8, "Ultima Online - Framed", 22);
    // A _NET_WM_NAME that is not UTF-8 does not count; WM_NAME does.
    setProperty(display, framedClient, "_NET_WM_NAME", "STRING", 8, "falsch", 6);
    for (Window window : {compoundTitled, latin1Titled, utf8Titled, frame, framedClient, popup}) {
        XMapWindow(display, window);
    }
    XRaiseWindow(display, compoundTitled);
    XRaiseWindow(display, latin1Titled);
    XRaiseWindow(display, utf8Titled);
    XSync(display, False);

    const auto order = walk(*windows);
    EXPECT_EQ(positionOf(order, utf8Titled), 0);
    EXPECT_EQ(positionOf(order, latin1Titled), 1);
    EXPECT_EQ(positionOf(order, compoundTitled), 2);
    EXPECT_GE(positionOf(order, untitled), 0);
    EXPECT_GE(positionOf(order, framedClient), 0);
    EXPECT_EQ(positionOf(order, frame), -1);
    EXPECT_EQ(positionOf(order, popup), -1);

    EXPECT_EQ(windows->windowTitle(utf8Titled), "Ultima Online - Grüße");
    EXPECT_EQ(windows->windowTitle(latin1Titled), "Ultima Online - Ärger");
    EXPECT_EQ(windows->windowTitle(compoundTitled), "Ultima Online - Καλημέρα");
    EXPECT_EQ(windows->windowTitle(untitled), "");
    EXPECT_EQ(windows->windowProcessId(utf8Titled), 4242u);
    EXPECT_EQ(windows->windowProcessId(latin1Titled), static_cast<platform::ProcessId>(getpid()));
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Ärger"), latin1Titled);
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Ärge"), platform::kNoWindow);
    EXPECT_EQ(windows->findWindowByTitle("Ultima Online - Framed"), framedClient);

    for (Window window : {utf8Titled, latin1Titled, compoundTitled, untitled, popup, frame}) {
        XDestroyWindow(display, window);
    }
    XSync(display, False);
}

// The foreground is the top-level window holding the focus; a window that vanished is gone for every
// call, and none of them ends the program.
TEST_F(X11Windows, ForegroundIsTheTopLevelWindowHoldingTheFocusAndVanishedWindowsAreReported) {
    const Window top = makeWindow(display);
    const Window inner = makeWindow(display, top);
    const Window other = makeWindow(display);
    for (Window window : {top, inner, other}) XMapWindow(display, window);
    XSync(display, False);
    waitUntil([&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display, inner, &attributes);
        return attributes.map_state == IsViewable;
    });

    XSetInputFocus(display, inner, RevertToParent, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(windows->foregroundWindow(), top);

    XSetInputFocus(display, None, RevertToNone, CurrentTime);
    XSync(display, False);
    EXPECT_EQ(windows->foregroundWindow(), platform::kNoWindow);

    // With the focus following the pointer, the keys go to the window under it.
    XSetInputFocus(display, PointerRoot, RevertToNone, CurrentTime);
    XRaiseWindow(display, top);
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, 20, 20);
    XSync(display, False);
    EXPECT_EQ(windows->foregroundWindow(), top);

    EXPECT_TRUE(windows->setForegroundWindow(other));
    EXPECT_EQ(windows->foregroundWindow(), other);

    ASSERT_TRUE(windows->isWindow(other));
    const WindowHandle first = windows->firstWindow(windows->desktopWindow());
    XDestroyWindow(display, other);
    XSync(display, False);
    for (WindowHandle gone : {static_cast<WindowHandle>(other), WindowHandle{0x1FFFFFF0}}) {
        EXPECT_FALSE(windows->isWindow(gone));
        EXPECT_EQ(windows->windowTitle(gone), "");
        EXPECT_EQ(windows->windowProcessId(gone), 0u);
        platform::WindowPlacement placement;
        EXPECT_FALSE(windows->getWindowPlacement(gone, placement));
        EXPECT_FALSE(windows->setWindowPlacement(gone, placement));
        EXPECT_FALSE(windows->setForegroundWindow(gone));
        EXPECT_FALSE(windows->bringWindowToTop(gone));
    }
    EXPECT_FALSE(windows->isWindow(platform::kNoWindow));
    // The walk goes on over the snapshot taken at its start.
    EXPECT_NE(first, platform::kNoWindow);
    walk(*windows);
    XDestroyWindow(display, top);
    XSync(display, False);
}

TEST_F(X11Windows, MinimisedXtermIsRestoredAndGetsTheKeys) {
    Receiver xterm(*server, Receiver::Xterm, "Ultima Online - Minimised", directory);
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Minimised");
    ASSERT_NE(window, platform::kNoWindow);
    // What a manager leaves behind when it minimises a window.
    XUnmapWindow(display, window);
    const long iconic[2] = {IconicState, None};
    setProperty(display, window, "WM_STATE", "WM_STATE", 32, iconic, 2);
    XSync(display, False);
    platform::WindowPlacement placement;
    ASSERT_TRUE(windows->getWindowPlacement(window, placement));
    EXPECT_EQ(placement.showCmd, platform::kShowMinimized);

    const std::string text = "Grüße ^~`´ 📜\n";
    EngineRun run(*windows, text);
    ASSERT_EQ(run.start("Ultima Online - Minimised"), transfer::StartResult::Started);
    ASSERT_TRUE(windows->getWindowPlacement(window, placement));
    EXPECT_EQ(placement.showCmd, platform::kShowNormal);
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(xterm.output(), text.size()), text);
}

TEST_F(X11Windows, UnderOpenboxWindowsFollowTheStackingOrder) {
    server->startWindowManager();
    Receiver first(*server, Receiver::Xterm, "Ultima Online - Erster", directory, "60x10+0+0");
    Receiver second(*server, Receiver::Xterm, "Ultima Online - Zweiter", directory, "60x10+300+300");
    const WindowHandle one = waitForWindow(*windows, "Ultima Online - Erster");
    const WindowHandle two = waitForWindow(*windows, "Ultima Online - Zweiter");
    // Both found and managed first: openbox raises a window when it takes it on.
    ASSERT_TRUE(waitUntil([&] {
        const auto order = walk(*windows);
        return positionOf(order, one) >= 0 && positionOf(order, two) >= 0;
    }));

    ASSERT_TRUE(activateAndWait(*windows, one));
    ASSERT_TRUE(waitUntil([&] { return walk(*windows).front() == one; }));
    ASSERT_TRUE(activateAndWait(*windows, two));
    ASSERT_TRUE(waitUntil([&] { return walk(*windows).front() == two; }));

    client::ClientList clients;
    client::RefreshClientList(*windows, clients, windows->desktopWindow());
    ASSERT_EQ(clients.size(), 2u);
    EXPECT_EQ(clients[0].title, "Ultima Online - Zweiter");
    EXPECT_EQ(clients[1].title, "Ultima Online - Erster");
}

}  // namespace
}  // namespace quill::x11test
