#include <gtest/gtest.h>

#include "client/client_list.h"
#include "support/fake_desktop.h"

using namespace quill;

// Clients in z-order, each record one window and the list cleared before each scan; untitled windows
// are skipped, and a handle with the top bit set is written as a negative number.
TEST(ClientScan, RecordsClientsInZOrderOneRecordPerWindow) {
    quill::testing::FakeDesktop desktop;
    client::ClientList clients;
    const auto own = desktop.addWindow("UO Quillpost v2", 7);
    desktop.addWindowWithHandle(0x80000010, "Ultima Online - Bob", 300);
    const auto upper = desktop.addWindow("Ultima Online - Alice", 200, true);
    desktop.addWindow("Editor", 400);
    desktop.addWindow("");

    for (int scan = 0; scan < 2; ++scan) client::RefreshClientList(desktop, clients, own);

    EXPECT_EQ(clients, (client::ClientList{{upper, "Ultima Online - Alice", 200},
                                           {0x80000010, "Ultima Online - Bob", 300}}));
    ASSERT_EQ(clients.size(), 2u);
    EXPECT_EQ(clients[0].handleText(), std::to_string(upper));
    EXPECT_EQ(clients[1].handleText(), "-2147483632");
}
