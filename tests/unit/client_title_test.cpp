#include "client/client_title.h"

#include <gtest/gtest.h>

using quill::client::isClientTitle;

namespace {

struct TitleCase {
    const char* title;
    bool isClient;
};

// Literal titles, as the clients and their look-alikes write them.
constexpr TitleCase kTitles[] = {
    // The original client: every title that begins with "Ultima Online -" (exact, case-sensitive).
    {"Ultima Online -", true},
    {"Ultima Online - Lord British", true},
    {"Ultima Online - ClassicUO - Home", true},
    {"ultima online - x", false},
    {"Ultima Online", false},
    {"Ultima Online-x", false},
    {"", false},
    {" Ultima Online - x", false},
    {"Ultima Online \xE2\x80\x93 x", false},
    // The open-source client's three shapes.
    {"ClassicUO - 1.1.0.407", true},
    {"ClassicUO [dev] - 1.1.0.407", true},
    {"Hans - ClassicUO - 1.1.0.407", true},
    {"Sir Hans der Zweite - ClassicUO - 1.0", true},
    {"J\xC3\xBCrgen - ClassicUO - 1.0.0", true},
    {"A - B - ClassicUO - 1.0", true},
    // Look-alikes: titles that mention the client.
    {"ClassicUO - Home \xE2\x80\x94 Mozilla Firefox", false},
    {"ClassicUO.cs - Editor", false},
    {"ClassicUO - ", false},
    {"ClassicUO - 1..x", false},
    {"ClassicUO - v1.0", false},
    {"ClassicUO - 1.0 beta", false},
    {"ClassicUO - 1.1.0.407 - Mozilla Firefox", false},
    {"ClassicUO [dev] - 1.0x", false},
    {"ClassicUO [Dev] - 1.0", false},
    {" - ClassicUO - 1.0", false},
    {"Hans - ClassicUO - 1.0 (Shard)", false},
    {"classicuo - 1.0", false},
    {"ClassicUO \xE2\x80\x93 1.0", false},
};

}  // namespace

TEST(ClientTitle, RecognisesBothClientFamiliesAndNoLookAlike) {
    for (const TitleCase& entry : kTitles)
        EXPECT_EQ(isClientTitle(entry.title), entry.isClient) << '"' << entry.title << '"';
}
