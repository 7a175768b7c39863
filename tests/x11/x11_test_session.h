// Real X servers, window managers and receiver programs for the X11 tests: each test run starts
// what it needs on a display of its own and ends it again, also when a test fails.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quill::x11test {

using namespace std::chrono_literals;

// Polls `condition` every few milliseconds until it holds or `timeout` has passed.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

std::string readFile(const std::filesystem::path& path);
// Waits until the file holds at least `bytes` bytes and has not grown for a moment, returns it.
std::string waitForFile(const std::filesystem::path& path, std::size_t bytes,
                        std::chrono::milliseconds timeout = 20s);

// A program in a process group of its own; the whole group ends with the object.
class Process {
  public:
    Process(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment = {});
    ~Process() { stop(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool running();
    // Waits for the program to end by itself; its exit code, or -1.
    int wait(std::chrono::milliseconds timeout = 30s);
    void stop();

  private:
    pid_t pid_ = -1;
    int status_ = -1;
    bool ended_ = false;
};

// Runs a program to its end; true when it exits with 0.
bool run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment = {});

// An Xvfb on display `number`, with a connection for the test's own requests.
class XServer {
  public:
    explicit XServer(int number);
    ~XServer();

    const std::string& name() const { return name_; }
    Display* display() const { return display_; }
    std::map<std::string, std::string> environment() const;

    void startWindowManager();
    void stopWindowManager();
    // Loads a keyboard layout ("us", "de", "us,ru"); false when it did not take.
    bool setLayout(const std::string& layout);
    // The keysym the server's map puts at level one of `keycode` in the current group.
    unsigned long keysymAt(int keycode, int level = 0);
    std::vector<unsigned long> keyboardMapping();

  private:
    std::string name_;
    std::unique_ptr<Process> server_;
    std::unique_ptr<Process> windowManager_;
    Display* display_ = nullptr;
};

// A window that records what it takes to `output()`, under `title`: xterm running `cat`, the practice
// client (`--record`), or the Windows practice client (QuillpostPractice.exe) under Wine in the
// prefix the test run made.
class Receiver {
  public:
    enum Kind { Xterm, Practice, WinePractice };
    Receiver(XServer& server, Kind kind, const std::string& title, const std::filesystem::path& directory,
             const std::string& geometry = "80x24+40+40");
    ~Receiver();
    const std::filesystem::path& output() const { return output_; }

  private:
    std::filesystem::path output_;
    std::unique_ptr<Process> process_;
    std::map<std::string, std::string> environment_;
    Kind kind_;
};

}  // namespace quill::x11test
