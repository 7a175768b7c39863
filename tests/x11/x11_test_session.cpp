#include "x11_test_session.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace quill::x11test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string waitForFile(const std::filesystem::path& path, std::size_t bytes,
                        std::chrono::milliseconds timeout) {
    std::string content;
    waitUntil([&] { return (content = readFile(path)).size() >= bytes; }, timeout);
    // Whatever comes after the expected length is a fault too: give it a moment to show.
    std::this_thread::sleep_for(100ms);
    return readFile(path);
}

Process::Process(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& environment) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        setpgid(0, 0);
        // Ends with the test, also when the test is killed before it can clean up.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (const auto& [key, value] : environment) setenv(key.c_str(), value.c_str(), 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    setpgid(pid_, pid_);
}

bool Process::running() {
    if (ended_) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
}

int Process::wait(std::chrono::milliseconds timeout) {
    if (!waitUntil([&] { return !running(); }, timeout)) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

void Process::stop() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    if (running() && !waitUntil([&] { return !running(); }, 3s)) {
        kill(-pid_, SIGKILL);
        waitUntil([&] { return !running(); }, 3s);
    }
    // Whatever the program left behind in its group goes as well.
    kill(-pid_, SIGKILL);
    pid_ = -1;
}

bool run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment) {
    Process process(argv, environment);
    return process.wait() == 0;
}

XServer::XServer(int number) : name_(":" + std::to_string(number)) {
    // Another run of these tests (another build of the same tree) may hold the display: Xvfb then
    // cannot listen and ends at once, and the next try waits for that run to finish rather than test
    // against its server. A socket or lock file that a dead server left behind does not stop it.
    for (const auto deadline = std::chrono::steady_clock::now() + 240s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(500ms)) {
        // Xvfb writes the display number to the pipe once it accepts connections.
        int ready[2];
        if (pipe(ready) != 0) throw std::runtime_error("pipe failed");
        server_ = std::make_unique<Process>(
            std::vector<std::string>{"Xvfb", name_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                     "-noreset", "-displayfd", std::to_string(ready[1])});
        close(ready[1]);
        pollfd poll{ready[0], POLLIN, 0};
        char answer[16] = {};
        const bool started = ::poll(&poll, 1, 15000) == 1 && read(ready[0], answer, sizeof answer - 1) > 0;
        close(ready[0]);
        if (started && server_->running() && (display_ = XOpenDisplay(name_.c_str())) != nullptr) return;
        server_.reset();
    }
    throw std::runtime_error("Xvfb " + name_ + " did not start");
}

XServer::~XServer() {
    stopWindowManager();
    if (display_ != nullptr) XCloseDisplay(display_);
    server_.reset();
}

std::map<std::string, std::string> XServer::environment() const {
    return {{"DISPLAY", name_}, {"LC_ALL", "C.UTF-8"},      {"LANG", "C.UTF-8"},
            {"XMODIFIERS", ""}, {"QT_QPA_PLATFORM", "xcb"}, {"WINEDEBUG", "-all"}};
}

void XServer::startWindowManager() {
    auto env = environment();
    windowManager_ = std::make_unique<Process>(std::vector<std::string>{"openbox", "--sm-disable"}, env);
    // A manager announces itself with this property on the root window.
    const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    const auto announced = [&] {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display_, DefaultRootWindow(display_), check, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &remaining, &data);
        if (data != nullptr) XFree(data);
        return count == 1;
    };
    if (!waitUntil(announced, 15s)) throw std::runtime_error("openbox did not start");
}

void XServer::stopWindowManager() {
    if (!windowManager_) return;
    windowManager_.reset();
    // openbox leaves its properties on the root window; a test without a manager must not see them.
    const Window root = DefaultRootWindow(display_);
    for (const char* name : {"_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED", "_NET_ACTIVE_WINDOW",
                             "_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING"}) {
        XDeleteProperty(display_, root, XInternAtom(display_, name, False));
    }
    XSync(display_, False);
}

bool XServer::setLayout(const std::string& layout) {
    return run({"setxkbmap", "-display", name_, "-layout", layout, "-option", ""}, environment());
}

unsigned long XServer::keysymAt(int keycode, int level) {
    XkbStateRec state{};
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return XkbKeycodeToKeysym(display_, static_cast<KeyCode>(keycode), state.group, level);
}

std::vector<unsigned long> XServer::keyboardMapping() {
    int min = 0, max = 0, perKeycode = 0;
    XDisplayKeycodes(display_, &min, &max);
    KeySym* symbols = XGetKeyboardMapping(display_, static_cast<KeyCode>(min), max - min + 1, &perKeycode);
    std::vector<unsigned long> result(symbols, symbols + (max - min + 1) * perKeycode);
    XFree(symbols);
    return result;
}

Receiver::Receiver(XServer& server, Kind kind, const std::string& title,
                   const std::filesystem::path& directory, const std::string& geometry)
    : environment_(server.environment()), kind_(kind) {
    static int counter = 0;
    output_ = std::filesystem::absolute(directory / ("receiver" + std::to_string(++counter) + ".txt"));
    // The practice clients open their record file just before they make their window.
    std::filesystem::path ready = output_;
    std::vector<std::string> argv{QUILL_PRACTICE_CLIENT, "--record", output_.string(), "--title", title};
    if (kind == Xterm) {
        ready.replace_extension(".ready");
        // No line editing, no echo, no flow control and no signal keys: every byte goes to cat as typed.
        const std::string script = "stty -icanon -echo -ixon -isig -iexten; : > '" + output_.string() +
                                   "'; : > '" + ready.string() + "'; exec cat >> '" + output_.string() + "'";
        argv = {"xterm", "-display",  server.name(), "-T",   title,
                "-u8",   "-geometry", geometry,      "-xrm", "XTerm*allowTitleOps: false",
                "-e",    "sh",        "-c",          script};
    } else if (kind == WinePractice) {
        environment_["WINEPREFIX"] = QUILL_WINE_PREFIX;
        environment_["WINEDLLOVERRIDES"] = "mscoree,mshtml=";
        std::string record = "Z:" + output_.string();
        std::replace(record.begin(), record.end(), '/', '\\');
        argv = {"wine", QUILL_WINE_RECEIVER, "--record", record, "--title", title};
    }
    process_ = std::make_unique<Process>(argv, environment_);
    if (!waitUntil([&] { return std::filesystem::exists(ready); }, 60s)) {
        throw std::runtime_error(title + ": the receiver did not start");
    }
}

Receiver::~Receiver() {
    process_.reset();
    // The wine server of the prefix outlives its programs for a while; end it with the receiver.
    if (kind_ == WinePractice) run({"wineserver", "-k"}, environment_);
}

}  // namespace quill::x11test
