#include "client/client_title.h"

namespace quill::client {
namespace {

constexpr std::string_view kOpenClientTitle = "ClassicUO - ";
constexpr std::string_view kOpenClientDevTitle = "ClassicUO [dev] - ";
constexpr std::string_view kOpenClientInGame = " - ClassicUO - ";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool isClientVersion(std::string_view text) {
    if (text.empty() || !isDigit(text.front()) || !isDigit(text.back())) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isDigit(text[i])) continue;
        // A dot between two digits: no empty component.
        if (text[i] != '.' || !isDigit(text[i + 1])) return false;
    }
    return true;
}

bool isClientTitle(std::string_view title) {
    if (title.starts_with(kClientTitlePrefix)) return true;
    if (title.starts_with(kOpenClientTitle) && isClientVersion(title.substr(kOpenClientTitle.size())))
        return true;
    if (title.starts_with(kOpenClientDevTitle) && isClientVersion(title.substr(kOpenClientDevTitle.size())))
        return true;
    // "<name> - ClassicUO - <version>": the version follows the last " - ClassicUO - ", so that a name
    // may itself hold " - "; the name is what comes before it and must not be empty.
    const std::size_t inGame = title.rfind(kOpenClientInGame);
    return inGame != std::string_view::npos && inGame > 0 &&
           isClientVersion(title.substr(inGame + kOpenClientInGame.size()));
}

}  // namespace quill::client
