// The text every end-to-end typing test sends; the receiver must get it back exactly.
#pragma once

#include <string_view>

namespace quill::testing {

// Lines separated by "\n" here; editors hand it on with CR LF.
inline constexpr std::string_view kAcceptanceText =
    "Grüße aus Öl-Ärger: ÄÖÜ äöü ß, Preis 12 € \xE2\x80\x9E"
    "Anführung\xE2\x80\x9C \xE2\x80\x9Asingle\xE2\x80\x98 "
    "\xE2\x80\x9Cquoted\xE2\x80\x9D\n"
    "Tottasten: ^ ` \xC2\xB4 ~ und â è é ñ\n"
    "Symbole: 1+1=2 a^b 50% ~x (rund) {geschweift} [eckig] <> | \\ @ # $ & * _ ' \" ! ? ; :\n"
    "\tEingerückt mit Tab\tund mitten\tim Satz\n"
    "\n"
    "\n"
    "Français: à la crème brûlée, garçon, Noël, œuvre\n"
    "Polski: zażółć gęślą jaźń ĄĆĘŁŃÓŚŹŻ\n"
    "Ελληνικά: Καλημέρα κόσμε\n"
    "Русский: Съешь же ещё этих мягких французских булок\n"
    "中文：你好，世界。日本語：こんにちは\n"
    "Außerhalb der BMP: \xF0\x9F\x93\x9C Ende.";

}  // namespace quill::testing
