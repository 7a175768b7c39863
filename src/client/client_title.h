// Which window titles belong to a game client: the original client's ("Ultima Online - ...") and the
// open-source client ClassicUO's three shapes.
#pragma once

#include <string_view>

namespace quill::client {

// Every window whose title starts with these 15 characters is a game client (the original client).
inline constexpr std::string_view kClientTitlePrefix = "Ultima Online -";

// The open-source client's name as it writes it into its title.
inline constexpr std::string_view kOpenClientName = "ClassicUO";

// True when `title` is a game client's title, case-sensitive:
// - it begins with "Ultima Online -" (the original client; anything may follow), or
// - it is exactly one of the open-source client's shapes, where <version> is digits and dots
//   (starts and ends with a digit, no empty component) and <name> is not empty:
//     "ClassicUO - <version>", "ClassicUO [dev] - <version>", "<name> - ClassicUO - <version>".
bool isClientTitle(std::string_view title);

// True when `text` is a version as the open-source client writes it: "1.1.0.407".
bool isClientVersion(std::string_view text);

}  // namespace quill::client
