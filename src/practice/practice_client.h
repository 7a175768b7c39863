// What both practice-client programs share besides the book: texts, the command line, and turning
// UTF-16 character messages into whole characters.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill::practice {

inline constexpr std::string_view kDefaultTitle = "Ultima Online - Übungsbuch";
inline constexpr std::string_view kHint =
    "Starte Quillpost, schreibe deinen Text und drücke „Text übertragen“ – hier erscheint er Seite "
    "für Seite.";
inline constexpr std::string_view kUsage =
    "Aufruf: quillpost-practice [--record DATEI] [--title TITEL]\n"
    "  --record DATEI  hängt jedes empfangene Zeichen sofort als UTF-8 an DATEI an\n"
    "  --title TITEL   Fenstertitel, jeder Titel, den Quillpost als Spiel-Client erkennt:\n"
    "                  „Ultima Online - …“ oder „ClassicUO - 1.1.0.407“,\n"
    "                  „ClassicUO [dev] - 1.1.0.407“, „Hans - ClassicUO - 1.1.0.407“\n"
    "                  (vorgegeben: „Ultima Online - Übungsbuch“)\n";

struct Options {
    std::string title{kDefaultTitle};
    std::optional<std::filesystem::path> recordFile;
    bool showUsage = false;
};

struct ParsedOptions {
    Options options;
    // German, empty when the command line was fine.
    std::string error;
};

// Reads the arguments after the program name (UTF-8).
ParsedOptions parseOptions(const std::vector<std::string>& arguments);

// A path from UTF-8 text, on every platform.
std::filesystem::path pathFromUtf8(std::string_view text);

// Joins the UTF-16 units of character messages into characters. A high surrogate waits for its low
// half; a half that stays unpaired becomes U+FFFD, so that nothing disappears unseen.
class SurrogateJoiner {
  public:
    // The characters complete after this unit, in order (none, one or two).
    std::u32string take(char16_t unit);

  private:
    char16_t high_ = 0;
};

// Turns the UTF-16 units of WM_CHAR messages into book events: surrogate pairs become one
// character; CR (Enter) becomes a line break, and so does a line feed on its own, but not the one
// of a CR LF pair nor one typed with Ctrl held (Ctrl+Enter, Ctrl+J); Tab and Backspace typed with
// Ctrl are no characters either.
class CharMessageDecoder {
  public:
    std::u32string take(char16_t unit, bool controlHeld);

  private:
    SurrogateJoiner joiner_;
    bool afterCarriageReturn_ = false;
};

// Text for the status line: "Seite 3 von 5 · 120 Zeichen empfangen".
std::string statusText(int currentPage, int pageCount, std::size_t received);
// "– 3 –", the number printed under a page.
std::string pageNumberText(int pageIndex);

}  // namespace quill::practice
