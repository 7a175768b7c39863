// sdl_receiver: a receiving window built on real SDL (SDL2 or SDL3) that takes keys the way the
// open-source game client (ClassicUO, on FNA/SDL) does: characters from SDL's text-input events,
// Enter, Tab and Backspace from key events. It records what arrives in the practice client's
// format (UTF-8; Enter as LF, Tab as tab, Backspace as U+0008) and can log every key event.
//
//   sdl_receiver --title TITLE --record FILE [--keys FILE] [--retitle FILE] [--ready FILE]
//
// --keys: "down <scancode> <name>" per key press, "text <UTF-8>" per text event. --retitle: the first
// line of FILE, once it appears or changes, becomes the title (the client renaming itself). --ready:
// written once the window takes text.
#ifdef QUILL_SDL3
#include <SDL3/SDL.h>
#include <SDL3/SDL_main.h>
#else
#include <SDL.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

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
    std::string record, keys, retitle, ready;
};

bool parse(int argc, char** argv, Options& options) {
    const std::pair<std::string_view, std::string*> names[] = {{"--title", &options.title},
                                                               {"--record", &options.record},
                                                               {"--keys", &options.keys},
                                                               {"--retitle", &options.retitle},
                                                               {"--ready", &options.ready}};
    for (int i = 1; i + 1 < argc; i += 2) {
        const auto name = std::find_if(std::begin(names), std::end(names),
                                       [&](const auto& entry) { return entry.first == argv[i]; });
        if (name == std::end(names)) return false;
        *name->second = argv[i + 1];
    }
    return argc % 2 == 1 && !options.record.empty();
}

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
    // Key and text events, one a line, flushed at once: "down <scancode> <name>", "text <UTF-8>".
    std::ofstream keyLog;
    if (!options.keys.empty())
        keyLog.open(quill::practice::pathFromUtf8(options.keys), std::ios::app | std::ios::binary);

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
    std::fprintf(stderr, "sdl_receiver: SDL %d, video driver %s\n", SDL_MAJOR_VERSION,
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
                keyLog << "down " << static_cast<int>(code) << " " << SDL_GetScancodeName(code) << std::endl;
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
                keyLog << "text " << text << std::endl;
                for (char32_t character : quill::core::utf8ToUtf32(text)) recorder.append(character);
            }
        }
        if (!recorder.retry()) std::fprintf(stderr, "%s\n", recorder.error().c_str());

        const Uint64 now = SDL_GetTicks();
        if (!options.retitle.empty() && now >= nextTitleCheck) {
            nextTitleCheck = now + 50;
            std::string title;  // the file's first line
            std::ifstream in(quill::practice::pathFromUtf8(options.retitle), std::ios::binary);
            std::getline(in, title);
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
