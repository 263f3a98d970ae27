#include <gtest/gtest.h>

#include "store/CReminderItem.h"
#include "tests/store/StoreFixture.h"

namespace {

using testing_support::TestEnv;

// The due date's display form is worked out once; every way the held text
// or the locale changes must show at the next read.
TEST(DisplayDateCacheTest, FollowsTheHeldTextAndTheLocale) {
    TestEnv env;
    CReminderItem item;
    item.setReminderDate("3/7/2024 8:00:15 AM");
    EXPECT_EQ(item.ReminderDate(), "3/7/2024 08:00 AM");
    EXPECT_EQ(*item.ReminderDateValue(), platform::MakeDateTime(QDate(2024, 3, 7), QTime(8, 0)));

    item.setReminderDate("3/8/2024 5:30:00 PM");
    EXPECT_EQ(item.ReminderDate(), "3/8/2024 05:30 PM");

    item.LoadData("ReminderDate: 3/9/2024 9:00:00 AM");
    EXPECT_EQ(item.ReminderDate(), "3/9/2024 09:00 AM") << "a loaded record replaces the held text";

    item.setReminderDate("");
    EXPECT_EQ(item.ReminderDate(), "");
    EXPECT_FALSE(item.ReminderDateValue().has_value());

    item.setReminderDate("soon");
    EXPECT_THROW(item.ReminderDate(), platform::RuntimeError);
    EXPECT_THROW(item.ReminderDateValue(), platform::RuntimeError);

    item.setReminderDate("3/9/2024 9:00:00 AM");
    platform::LocaleDates british(QLocale(QLocale::English, QLocale::UnitedKingdom));
    platform::Env other = env.env;
    other.dates = &british;
    platform::ScopedEnv scope(other);
    EXPECT_EQ(item.ReminderDate(), "03/09/2024 09:00 am")
        << "read again, day first, in the new locale";
}

}  // namespace
