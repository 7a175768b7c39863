#include <gtest/gtest.h>

#include "client/client_list.h"
#include "support/fake_desktop.h"

using namespace quill;
using quill::testing::FakeDesktop;

namespace {

struct ClientScan : ::testing::Test {
    FakeDesktop desktop;
    client::ClientList clients;
};

}  // namespace

// Clients in z-order, the three lists in step and cleared before each scan; untitled windows are
// skipped, and a handle with the top bit set is recorded as a negative number.
TEST_F(ClientScan, RecordsClientsInZOrderWithTheThreeListsInStep) {
    const auto own = desktop.addWindow("UO Quillpost v2", 7);
    desktop.addWindowWithHandle(0x80000010, "Ultima Online - Bob", 300);
    const auto upper = desktop.addWindow("Ultima Online - Alice", 200, true);
    desktop.addWindow("Editor", 400);
    desktop.addWindow("");

    for (int scan = 0; scan < 2; ++scan) client::RefreshClientList(desktop, clients, own);

    ASSERT_EQ(clients.count(), 2u);
    EXPECT_EQ(clients.handles, (std::vector<std::string>{std::to_string(upper), "-2147483632"}));
    EXPECT_EQ(clients.titles, (std::vector<std::string>{"Ultima Online - Alice", "Ultima Online - Bob"}));
    EXPECT_EQ(clients.processIds, (std::vector<std::string>{"200", "300"}));
}

TEST_F(ClientScan, PrefixIsExactCaseSensitiveAndFifteenCharactersLong) {
    for (const char* title : {"Ultima Online -", "Ultima Online - Lord British", "Ultima Online -x"})
        EXPECT_TRUE(client::isClientTitle(title)) << title;
    for (const char* title : {"ultima online - x", "Ultima Online", "Ultima Online-x", "Ultima Online x", "",
                              " Ultima Online - x", "Ultima Online \xE2\x80\x93 x"})
        EXPECT_FALSE(client::isClientTitle(title)) << title;
}

// Recorded as signed decimal (see above); read back, a negative text is the same handle, and a
// text that is no number is no window.
TEST_F(ClientScan, HandleTextReadsBack) {
    EXPECT_EQ(client::handleFromText("-2147483632"), 0x80000010u);
    EXPECT_EQ(client::handleFromText("655858"), 0x000A01F2u);
    for (const char* text : {"12x", "", "-"}) EXPECT_EQ(client::handleFromText(text), 0u) << text;
}
