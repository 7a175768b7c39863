// sdl_receiver: a receiving window built on real SDL (SDL2 or SDL3) that takes keys the way the
// open-source game client (ClassicUO, on FNA/SDL) does: characters from SDL's text-input events,
// Enter, Tab and Backspace from key events. It records what arrives in the practice client's
// format (UTF-8; Enter as LF, Tab as tab, Backspace as U+0008) and can log every key event.
//
//   sdl_receiver --title TITLE --record FILE [--keys FILE] [--retitle FILE] [--ready FILE]
//
// --keys FILE     appends one line per key press: "down <scancode> <key name>", and "text <UTF-8>"
//                 per text event, so a test can tell text that came with a key event from text alone.
// --retitle FILE  when FILE appears (or changes), its first line becomes the window title: the
//                 client renaming itself at login, logout or a character change.
// --ready FILE    written once the window is shown and takes text.
#ifdef QUILL_SDL3
#include <SDL3/SDL.h>
#include <SDL3/SDL_main.h>
#else
#include <SDL.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/unicode.h"
#include "practice/practice_client.h"
#include "practice/recorder.h"

namespace {

#if SDL_MAJOR_VERSION >= 3
constexpr auto kQuit = SDL_EVENT_QUIT;
constexpr auto kKeyDown = SDL_EVENT_KEY_DOWN;
constexpr auto kTextInput = SDL_EVENT_TEXT_INPUT;
SDL_Scancode scancodeOf(const SDL_Event& event) {
    return event.key.scancode;
}
SDL_Keycode keycodeOf(const SDL_Event& event) {
    return event.key.key;
}
#else
constexpr auto kQuit = SDL_QUIT;
constexpr auto kKeyDown = SDL_KEYDOWN;
constexpr auto kTextInput = SDL_TEXTINPUT;
SDL_Scancode scancodeOf(const SDL_Event& event) {
    return event.key.keysym.scancode;
}
SDL_Keycode keycodeOf(const SDL_Event& event) {
    return event.key.keysym.sym;
}
#endif

struct Options {
    std::string title = "ClassicUO - 1.1.0.407";
    std::string record;
    std::string keys;
    std::string retitle;
    std::string ready;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (argument == "--title") {
            options.title = value;
        } else if (argument == "--record") {
            options.record = value;
        } else if (argument == "--keys") {
            options.keys = value;
        } else if (argument == "--retitle") {
            options.retitle = value;
        } else if (argument == "--ready") {
            options.ready = value;
        } else {
            return false;
        }
    }
    return !options.record.empty();
}

// The first line of `path`, or nothing when it cannot be read or is empty.
std::string firstLine(const std::string& path) {
    std::ifstream in(quill::practice::pathFromUtf8(path), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

class KeyLog {
  public:
    explicit KeyLog(const std::string& path) {
        if (!path.empty()) file_ = std::fopen(quill::practice::pathFromUtf8(path).string().c_str(), "ab");
    }
    ~KeyLog() {
        if (file_) std::fclose(file_);
    }
    KeyLog(const KeyLog&) = delete;
    KeyLog& operator=(const KeyLog&) = delete;
    void write(const std::string& line) {
        if (!file_) return;
        std::fputs((line + "\n").c_str(), file_);
        std::fflush(file_);
    }

  private:
    std::FILE* file_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: sdl_receiver --title TITLE --record FILE [--keys FILE] [--retitle FILE] "
                     "[--ready FILE]\n");
        return 2;
    }
    quill::practice::Recorder recorder;
    if (!recorder.open(quill::practice::pathFromUtf8(options.record))) {
        std::fprintf(stderr, "%s\n", recorder.error().c_str());
        return 2;
    }
    KeyLog keyLog(options.keys);

#if SDL_MAJOR_VERSION >= 3
    if (!SDL_Init(SDL_INIT_VIDEO)) {
#else
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
#endif
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
#if SDL_MAJOR_VERSION >= 3
    SDL_Window* window = SDL_CreateWindow(options.title.c_str(), 640, 480, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, "software") : nullptr;
#else
    SDL_Window* window = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                          SDL_WINDOWPOS_UNDEFINED, 640, 480, SDL_WINDOW_RESIZABLE);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
#endif
    if (!window || !renderer) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    // The client keeps text input on while a text field (the book's page) has the focus.
#if SDL_MAJOR_VERSION >= 3
    SDL_StartTextInput(window);
#else
    SDL_StartTextInput();
#endif
    std::fprintf(stderr, "sdl_receiver: SDL %d.%d.%d, video driver %s\n", SDL_MAJOR_VERSION,
                 SDL_MINOR_VERSION,
#if SDL_MAJOR_VERSION >= 3
                 SDL_MICRO_VERSION,
#else
                 SDL_PATCHLEVEL,
#endif
                 SDL_GetCurrentVideoDriver());

    std::string shownTitle;
    Uint64 nextTitleCheck = 0;
    bool ready = false;
    bool running = true;
    while (running) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == kQuit) {
                running = false;
            } else if (event.type == kKeyDown) {
                const SDL_Scancode code = scancodeOf(event);
                keyLog.write("down " + std::to_string(static_cast<int>(code)) + " " +
                             SDL_GetScancodeName(code));
                // As the client's text box: these three act on the text; other keys do not type.
                switch (keycodeOf(event)) {
                    case SDLK_RETURN:
                    case SDLK_KP_ENTER:
                        recorder.append(U'\n');
                        break;
                    case SDLK_TAB:
                        recorder.append(U'\t');
                        break;
                    case SDLK_BACKSPACE:
                        recorder.append(U'\b');
                        break;
                    default:
                        break;
                }
            } else if (event.type == kTextInput) {
                const std::string text = event.text.text;
                keyLog.write("text " + text);
                for (char32_t character : quill::core::utf8ToUtf32(text)) recorder.append(character);
            }
        }
        if (!recorder.retry()) std::fprintf(stderr, "%s\n", recorder.error().c_str());

        const Uint64 now = SDL_GetTicks();
        if (!options.retitle.empty() && now >= nextTitleCheck) {
            nextTitleCheck = now + 50;
            const std::string title = firstLine(options.retitle);
            if (!title.empty() && title != shownTitle) {
                SDL_SetWindowTitle(window, title.c_str());
                shownTitle = title;
            }
        }

        // A frame, as the client draws one: clear and present, about 60 a second.
        SDL_SetRenderDrawColor(renderer, 40, 30, 20, 255);
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
        if (!ready && !options.ready.empty()) {
            ready = true;
            std::ofstream(quill::practice::pathFromUtf8(options.ready)) << "ready\n";
        }
        SDL_Delay(16);
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
