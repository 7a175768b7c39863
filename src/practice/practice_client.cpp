#include "practice/practice_client.h"

#include "client/client_title.h"

namespace quill::practice {

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions result;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            result.options.showUsage = true;
        } else if (argument == "--record" || argument == "--title") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
                result.error = argument == "--record" ? "Nach --record fehlt der Dateiname."
                                                      : "Nach --title fehlt der Fenstertitel.";
                return result;
            }
            const std::string& value = arguments[++i];
            if (argument == "--record") {
                result.options.recordFile = pathFromUtf8(value);
            } else if (!client::isClientTitle(value)) {
                result.error = "Quillpost erkennt den Fenstertitel „" + value +
                               "“ nicht als Spiel-Client. Er muss mit „Ultima Online - “ beginnen oder "
                               "„ClassicUO - VERSION“, „ClassicUO [dev] - VERSION“ oder „NAME - ClassicUO - "
                               "VERSION“ lauten (VERSION aus Ziffern und Punkten, etwa 1.1.0.407).";
                return result;
            } else {
                result.options.title = value;
            }
        } else {
            result.error = "Unbekannte Angabe „" + argument + "“.";
            return result;
        }
    }
    return result;
}

std::filesystem::path pathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::u32string SurrogateJoiner::take(char16_t unit) {
    std::u32string out;
    const bool isHigh = unit >= 0xD800 && unit <= 0xDBFF;
    const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
    if (high_ != 0) {
        if (isLow) {
            out.push_back(0x10000 + ((static_cast<char32_t>(high_) - 0xD800) << 10) + (unit - 0xDC00));
            high_ = 0;
            return out;
        }
        out.push_back(U'\uFFFD');
        high_ = 0;
    }
    if (isHigh) {
        high_ = unit;
    } else if (isLow) {
        out.push_back(U'\uFFFD');
    } else {
        out.push_back(unit);
    }
    return out;
}

std::u32string CharMessageDecoder::take(char16_t unit, bool controlHeld) {
    const bool pairedLineFeed = unit == u'\n' && afterCarriageReturn_;
    afterCarriageReturn_ = unit == u'\r' && !controlHeld;
    switch (unit) {
        case u'\r':
            return controlHeld ? U"" : U"\n";
        case u'\n':
            return controlHeld || pairedLineFeed ? U"" : U"\n";
        case u'\t':
        case u'\b':
            return controlHeld ? U"" : std::u32string(1, unit);
        default:
            return joiner_.take(unit);
    }
}

std::string statusText(int currentPage, int pageCount, std::size_t received) {
    return "Seite " + std::to_string(currentPage + 1) + " von " + std::to_string(pageCount) + " · " +
           std::to_string(received) + " Zeichen empfangen";
}

std::string pageNumberText(int pageIndex) {
    return "– " + std::to_string(pageIndex + 1) + " –";
}

}  // namespace quill::practice
