#include <gtest/gtest.h>

#include "schedule/WindowSeams.h"

// Until the windows are built, their seams do nothing visible.
TEST(WindowSeamsTest, DoNothingUntilAWindowFillsThem) {
    EXPECT_FALSE(WindowSeams::ViewReminders().IsVisible());
    EXPECT_EQ(WindowSeams::ViewReminders().Widget(), nullptr);
}
