// The editor's limits: a loaded or pasted text too large for the editor is refused with its size and the
// limit.
#include "app/editor_limits.h"

#include <gtest/gtest.h>

#include <string>

namespace quill::app {
namespace {

TEST(HostileInput, TextsTooLargeForTheEditorAreRefusedWithTheirSizeAndTheLimit) {
    const auto message = [](const std::optional<document::Failure>& f) { return f ? f->message : "fits"; };
    document::Document lines, line, fits;
    lines.append(std::string(50'000, '\n'));  // 50,001 lines
    line.append(std::string(1'000'001, 'x'));
    fits.append(std::string(49'999, '\n') + std::string(1'000'000, 'x'));
    EXPECT_EQ(
        message(checkFitsEditor(lines, "chat.log")),
        "Die Datei \"chat.log\" hat 50.001 Zeilen. Der Editor kann höchstens 50.000 Zeilen anzeigen, ohne "
        "lange zu hängen; sie wurde nicht geöffnet, der bisherige Text bleibt.");
    EXPECT_EQ(
        message(checkFitsEditor(line, "eine.txt")),
        "Die Datei \"eine.txt\" hat eine Zeile mit 1.000.001 Zeichen. Der Editor kann Zeilen mit höchstens "
        "1.000.000 Zeichen anzeigen, ohne lange zu hängen; sie wurde nicht geöffnet, der bisherige Text "
        "bleibt.");
    EXPECT_EQ(message(checkFitsEditor(fits, "passt.txt")), "fits");
    // Pasting: what the editor holds and the pasted text together.
    EXPECT_EQ(message(checkPasteFitsEditor({25'000, 10}, {25'001, 10})), "fits");
    EXPECT_EQ(
        message(checkPasteFitsEditor({25'000, 10}, {25'002, 10})),
        "Mit dem eingefügten Text hätte der Editor bis zu 50.001 Zeilen. Der Editor kann höchstens 50.000 "
        "Zeilen anzeigen, ohne lange zu hängen; der Text wurde nicht eingefügt.");
    const TextExtent extent = extentOf(u"ab\r\n\U0001F600x\nc");
    EXPECT_EQ(extent.lines, 3u);
    EXPECT_EQ(extent.longestLine, 2u);
}

}  // namespace
}  // namespace quill::app
