// Whoever shows the reminders hears of every change of them, whoever makes
// it: the collection's membership and the values of the reminders it holds.

#include <gtest/gtest.h>

#include "store/CReminderItems.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

std::shared_ptr<CReminderItem> Reminder(const QString& address, const QString& subject) {
    auto item = std::make_shared<CReminderItem>();
    item->setEmailAddress(address);
    item->setSubject(subject);
    return item;
}

class ListeningTest : public StoreFixture {
protected:
    int changes = 0;
};

TEST_F(ListeningTest, EveryChangeOfMembershipOrOfAHeldReminderIsTold) {
    CReminderItems items;
    items.Initialize();
    auto connection = items.Listen([this] { ++changes; });
    auto pat = Reminder("pat@example.com", "Budget");
    auto lee = Reminder("lee@example.com", "Plans");
    items.Add(pat);
    items.Add(lee);
    EXPECT_EQ(changes, 2);
    // Values of a held reminder: a snooze, a note, a colour, a sent copy.
    pat->setReminderDate("3/8/2024 9:00:00 AM");
    pat->setNote("call");
    pat->setColor(255);
    pat->setEntryId("E2");
    EXPECT_EQ(changes, 6);
    pat->setIsDirty(false);
    EXPECT_EQ(changes, 6) << "bookkeeping is no change";

    // A reply ends one; Remove takes the other.
    items.RemoveBy("lee@example.com", "RE: Plans");
    EXPECT_EQ(changes, 7);
    // A reminder taken out tells no one any more.
    lee->setNote("gone");
    EXPECT_EQ(changes, 7);
    items.Remove(pat);
    EXPECT_EQ(changes, 8);
    pat->setNote("gone too");
    EXPECT_EQ(changes, 8);

    // Starting afresh drops the list: one change.
    items.Add(pat);
    items.Initialize();
    EXPECT_EQ(changes, 10);
    pat->setNote("dropped");
    EXPECT_EQ(changes, 10);
}

TEST_F(ListeningTest, AConnectionEndsWithItsTokenAndMayOutliveTheCollection) {
    auto items = std::make_unique<CReminderItems>();
    items->Initialize();
    auto pat = Reminder("pat@example.com", "Budget");
    int other = 0;
    auto first = items->Listen([this] { ++changes; });
    auto second = items->Listen([&other] { ++other; });
    items->Add(pat);
    first.reset();
    pat->setNote("one");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(other, 2);

    // A listener that throws stops neither the change nor the others.
    auto throwing = items->Listen([] { throw std::runtime_error("listener trouble"); });
    auto third = items->Listen([this] { ++changes; });
    pat->setNote("two");
    EXPECT_EQ(pat->Note(), "two");
    EXPECT_EQ(changes, 2);

    // The collection goes (saving itself, and dropping its list: a change);
    // the reminder and the tokens stay, and tell no one.
    items.reset();
    EXPECT_EQ(changes, 3);
    pat->setNote("after");
    EXPECT_EQ(changes, 3);
    second.reset();
    third.reset();
}

// A listener may stop listening, or another start, while it is told.
TEST_F(ListeningTest, ListenersMayConnectAndDisconnectWhileTheyAreTold) {
    CReminderItems items;
    items.Initialize();
    store::ChangeSignal::Connection self, later;
    int laterCalls = 0;
    self = items.Listen([&] {
        ++changes;
        self.reset();
        later = items.Listen([&laterCalls] { ++laterCalls; });
    });
    items.Add(Reminder("a@example.com", "A"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(laterCalls, 0) << "connected during the call: told from the next change";
    items.Add(Reminder("b@example.com", "B"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(laterCalls, 1);
}

}  // namespace
}  // namespace store_tests
