// Finding, reading and activating windows, with no window manager and under openbox; the transfer
// engine against real xterm and Qt windows: minimised clients, a client closed or left mid-transfer.
// gtest first: Xlib defines None, Bool and Status as macros.
// clang-format off
#include "x11_test_helpers.h"
// clang-format on

#include <X11/Xatom.h>
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

void setWmState(Display* display, Window window, long state) {
    const long data[2] = {state, None};
    setProperty(display, window, "WM_STATE", "WM_STATE", 32, data, 2);
}

std::vector<WindowHandle> walk(platform::WindowSystem& windows) {
    std::vector<WindowHandle> order;
    for (WindowHandle window = windows.firstWindow(windows.desktopWindow()); window != platform::kNoWindow;
         window = windows.nextWindow(window)) {
        order.push_back(window);
    }
    return order;
}

std::ptrdiff_t positionOf(const std::vector<WindowHandle>& order, Window window) {
    const auto found = std::find(order.begin(), order.end(), static_cast<WindowHandle>(window));
    return found == order.end() ? -1 : found - order.begin();
}

class X11Windows : public ::testing::Test {
  protected:
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        std::string error;
        windows = platform::x11::X11WindowSystem::open(server->name().c_str(), &error);
        ASSERT_TRUE(windows) << error;
        display = server->display();
    }
    void TearDown() override { windows.reset(); }

    static XServer* server;
    TempDirectory directory{"windows"};
    std::unique_ptr<platform::x11::X11WindowSystem> windows;
    Display* display = nullptr;
};
XServer* X11Windows::server = nullptr;

class WithoutManager : public X11Windows {
  protected:
    static void SetUpTestSuite() { server = new XServer(92); }
};

class WithOpenbox : public X11Windows {
  protected:
    static void SetUpTestSuite() {
        server = new XServer(92);
        server->startWindowManager();
    }
};

TEST(X11Open, NoServerGivesAGermanMessage) {
    std::string error;
    EXPECT_EQ(platform::x11::X11WindowSystem::open(":1999", &error), nullptr);
    EXPECT_NE(error.find("Keine Verbindung zum X-Server \":1999\""), std::string::npos) << error;
}

TEST_F(WithoutManager, WindowsAreListedTopmostFirstWithTitlesAndProcesses) {
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
    setWmState(display, framedClient, NormalState);
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

    // The scan of the client layer over the real list: clients in z-order, handles and pids in step.
    client::ClientList clients;
    client::RefreshClientList(*windows, clients, windows->desktopWindow());
    ASSERT_EQ(clients.count(), 4u);
    EXPECT_EQ(clients.titles[0], "Ultima Online - Grüße");
    EXPECT_EQ(clients.handles[0], std::to_string(utf8Titled));
    EXPECT_EQ(clients.processIds[0], "4242");
    EXPECT_EQ(clients.titles[1], "Ultima Online - Ärger");

    for (Window window : {utf8Titled, latin1Titled, compoundTitled, untitled, popup, frame}) {
        XDestroyWindow(display, window);
    }
    XSync(display, False);
}

TEST_F(WithoutManager, VanishedWindowsAreReportedAndNeverEndTheProgram) {
    const Window window = makeWindow(display);
    XMapWindow(display, window);
    XSync(display, False);
    ASSERT_TRUE(windows->isWindow(window));
    const WindowHandle first = windows->firstWindow(windows->desktopWindow());
    XDestroyWindow(display, window);
    XSync(display, False);

    for (WindowHandle gone : {static_cast<WindowHandle>(window), WindowHandle{0x1FFFFFF0}}) {
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
}

TEST_F(WithoutManager, ForegroundIsTheTopLevelWindowHoldingTheFocus) {
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
    for (Window window : {top, other}) XDestroyWindow(display, window);
    XSync(display, False);
}

TEST_F(WithoutManager, MinimisedXtermIsRestoredAndGetsTheKeys) {
    XtermReceiver xterm(*server, "Ultima Online - Minimised", directory.path());
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Minimised");
    ASSERT_NE(window, platform::kNoWindow);
    // What a manager leaves behind when it minimises a window.
    XUnmapWindow(display, window);
    setWmState(display, window, IconicState);
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

TEST_F(WithOpenbox, WindowsFollowTheManagersStackingOrder) {
    XtermReceiver first(*server, "Ultima Online - Erster", directory.path(), "60x10+0+0");
    XtermReceiver second(*server, "Ultima Online - Zweiter", directory.path(), "60x10+300+300");
    const WindowHandle one = waitForWindow(*windows, "Ultima Online - Erster");
    const WindowHandle two = waitForWindow(*windows, "Ultima Online - Zweiter");
    ASSERT_NE(one, platform::kNoWindow);
    ASSERT_NE(two, platform::kNoWindow);
    EXPECT_EQ(windows->windowProcessId(one), static_cast<platform::ProcessId>(first.process().pid()));
    EXPECT_EQ(windows->windowProcessId(two), static_cast<platform::ProcessId>(second.process().pid()));
    // Both managed first: openbox raises a window when it takes it on.
    ASSERT_TRUE(waitUntil([&] {
        const auto order = walk(*windows);
        return positionOf(order, one) >= 0 && positionOf(order, two) >= 0;
    }));

    ASSERT_TRUE(activateAndWait(*windows, one));
    ASSERT_TRUE(waitUntil([&] { return walk(*windows).front() == one; }));
    const auto order = walk(*windows);
    EXPECT_LT(positionOf(order, one), positionOf(order, two));
    ASSERT_TRUE(activateAndWait(*windows, two));
    ASSERT_TRUE(waitUntil([&] { return walk(*windows).front() == two; }));

    client::ClientList clients;
    client::RefreshClientList(*windows, clients, windows->desktopWindow());
    ASSERT_EQ(clients.count(), 2u);
    EXPECT_EQ(clients.titles[0], "Ultima Online - Zweiter");
    EXPECT_EQ(clients.titles[1], "Ultima Online - Erster");
}

TEST_F(WithOpenbox, MinimisedClientIsRestoredAndGetsTheKeys) {
    XtermReceiver xterm(*server, "Ultima Online - Minimiert", directory.path());
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Minimiert");
    ASSERT_TRUE(activateAndWait(*windows, window));
    XIconifyWindow(display, window, DefaultScreen(display));
    XSync(display, False);
    platform::WindowPlacement placement;
    ASSERT_TRUE(waitUntil([&] {
        return windows->getWindowPlacement(window, placement) &&
               placement.showCmd == platform::kShowMinimized;
    }));
    EXPECT_TRUE(waitUntil([&] { return windows->foregroundWindow() != window; }));

    const std::string text = "Ägäis {1} [2] ~3~ ^4^\n\tEnde";
    EngineRun run(*windows, text);
    ASSERT_EQ(run.start("Ultima Online - Minimiert"), transfer::StartResult::Started);
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(xterm.output(), text.size()), text);
    ASSERT_TRUE(windows->getWindowPlacement(window, placement));
    EXPECT_EQ(placement.showCmd, platform::kShowNormal);
}

TEST_F(WithOpenbox, ClientClosedMidTransferGetsNothingMoreAndNoKeyGoesElsewhere) {
    XtermReceiver bystander(*server, "Zuschauer", directory.path(), "60x10+300+300");
    auto client = std::make_unique<XtermReceiver>(*server, "Ultima Online - Schliesst", directory.path());
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Schliesst");
    ASSERT_NE(window, platform::kNoWindow);

    const std::string text(200, 'x');
    EngineRun run(*windows, text);
    ASSERT_EQ(run.start("Ultima Online - Schliesst"), transfer::StartResult::Started);
    int sent = 0;
    while (sent < 20) {
        if (run.tick() == transfer::TickResult::Sent) ++sent;
    }
    const auto output = client->output();
    EXPECT_EQ(waitForFile(output, 20), std::string(20, 'x'));
    client.reset();
    ASSERT_TRUE(waitUntil([&] { return !windows->isWindow(window); }));

    transfer::TickResult result = run.tick();
    EXPECT_EQ(result, transfer::TickResult::ClientClosed);
    EXPECT_FALSE(run.timer.on);
    EXPECT_EQ(run.tick(), transfer::TickResult::Idle);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(readFile(bystander.output()), "");
    EXPECT_EQ(readFile(output), std::string(20, 'x'));
}

TEST_F(WithOpenbox, FocusMovedAwayPausesAndTheTransferResumesAtTheRightCharacter) {
    XtermReceiver other(*server, "Chatfenster", directory.path(), "60x10+300+300");
    XtermReceiver client(*server, "Ultima Online - Buch", directory.path());
    const WindowHandle otherWindow = waitForWindow(*windows, "Chatfenster");
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Buch");
    ASSERT_NE(otherWindow, platform::kNoWindow);

    const std::string text = "Erste Hälfte|zweite Hälfte.";
    EngineRun run(*windows, text);
    ASSERT_EQ(run.start("Ultima Online - Buch"), transfer::StartResult::Started);
    for (int i = 0; i < 13; ++i) ASSERT_EQ(run.tick(), transfer::TickResult::Sent);

    ASSERT_TRUE(activateAndWait(*windows, otherWindow));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(run.tick(), transfer::TickResult::Paused);
    EXPECT_EQ(run.engine.TransferPos, 14);

    ASSERT_TRUE(activateAndWait(*windows, window));
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(client.output(), text.size()), text);
    EXPECT_EQ(readFile(other.output()), "");
}

TEST_F(WithOpenbox, QtWindowGetsTheAcceptanceTextOnAGermanLayout) {
    ASSERT_TRUE(server->setLayout("de"));
    ASSERT_EQ(server->keysymAt(29), static_cast<unsigned long>('z'));
    QUILL_REQUIRE_RECEIVER(QUILL_QT_RECEIVER);
    QtReceiver qt(*server, "Ultima Online - Qt", directory.path());
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Qt");
    ASSERT_NE(window, platform::kNoWindow);
    EngineRun run(*windows, quill::testing::kAcceptanceText);
    ASSERT_EQ(run.start("Ultima Online - Qt"), transfer::StartResult::Started);
    while (run.timer.on) ASSERT_NE(run.tick(), transfer::TickResult::SendFailed);
    EXPECT_EQ(waitForFile(qt.output(), quill::testing::kAcceptanceText.size()),
              quill::testing::kAcceptanceText);
    ASSERT_TRUE(server->setLayout("us"));
}

TEST_F(WithoutManager, QtWindowGetsTheAcceptanceTextOnAUsLayout) {
    ASSERT_TRUE(server->setLayout("us"));
    QUILL_REQUIRE_RECEIVER(QUILL_QT_RECEIVER);
    QtReceiver qt(*server, "Ultima Online - Qt", directory.path());
    const WindowHandle window = waitForWindow(*windows, "Ultima Online - Qt");
    ASSERT_NE(window, platform::kNoWindow);
    ASSERT_TRUE(activateAndWait(*windows, window));
    typeText(*windows, quill::testing::kAcceptanceText);
    EXPECT_EQ(waitForFile(qt.output(), quill::testing::kAcceptanceText.size()),
              quill::testing::kAcceptanceText);
}

}  // namespace
}  // namespace quill::x11test
