#include "transfer/delay.h"

#include <gtest/gtest.h>

using namespace quill::transfer;

TEST(Delay, IntervalIsTenthsTimesOneHundredMilliseconds) {
    EXPECT_EQ(delayInterval(0), 0);
    EXPECT_EQ(delayInterval(2), 200);
    EXPECT_EQ(delayInterval(5), 500);
    EXPECT_EQ(delayInterval(1 << 30), (2147483647 / 100) * 100);  // no overflow
}

TEST(Delay, SecondsInShortestFormWithTheLocaleSeparator) {
    EXPECT_EQ(formatTenths(0, ","), "0");
    EXPECT_EQ(formatTenths(2, ","), "0,2");
    EXPECT_EQ(formatTenths(10, ","), "1");
    EXPECT_EQ(formatTenths(15, ","), "1,5");
    EXPECT_EQ(formatTenths(15, "."), "1.5");
    EXPECT_EQ(formatTenths(-5, ","), "-0,5");
    EXPECT_EQ(delayCaption(2, ","), "Delay von Zeichen zu Zeichen (0,2s)");
    EXPECT_EQ(delayCaption(0, "."), "Delay von Zeichen zu Zeichen (0s)");
    EXPECT_EQ(delayCaption(5, "."), "Delay von Zeichen zu Zeichen (0.5s)");
}
