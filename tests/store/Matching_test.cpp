// Finding and removing reminders: which values are compared which way, and
// in which order the list is searched.

#include <gtest/gtest.h>

#include "store/CReminderItems.h"
#include "tests/store/StoreFixture.h"

namespace store_tests {
namespace {

using ::testing::ElementsAre;
using Reminder = CReminderItems::Reminder;

Reminder MakeReminder(const QString& address, const QString& subject, const QString& note = {}) {
    auto item = std::make_shared<CReminderItem>();
    item->setEmailAddress(address);
    item->setSubject(subject);
    item->setNote(note);
    return item;
}

class MatchingTest : public StoreFixture {
protected:
    MatchingTest() {
        items.Initialize();
        for (const auto& r : {MakeReminder("pat.jones@example.com", "Budget", "first"),
                              MakeReminder("sam@example.com", "RE: Offsite", "second"),
                              MakeReminder("pat.jones@example.com", "Budget", "third"),
                              MakeReminder("", "Lunch", "fourth")})
            items.Add(r);
        log.Clear();
    }
    QStringList Notes() const {
        QStringList notes;
        for (qint32 i = 1; i <= items.Count(); ++i) notes << items.Item(i)->Note();
        return notes;
    }
    static QString NoteOf(const Reminder& r) { return r ? r->Note() : QStringLiteral("<nothing>"); }

    CReminderItems items;
};

TEST_F(MatchingTest, ItemCountsFromOne) {
    EXPECT_EQ(items.Count(), 4);
    EXPECT_EQ(items.Item(1)->Note(), "first");
    for (qint32 outside : {0, 5}) {
        try {
            items.Item(outside);
            ADD_FAILURE() << outside;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.description(), "Subscript out of range");
        }
    }
    EXPECT_THROW(items.Add(nullptr), platform::RuntimeError);
    EXPECT_EQ(items.Count(), 4);
}

TEST_F(MatchingTest, FindComparesExactlyFindExByContainment) {
    EXPECT_EQ(NoteOf(items.Find("pat.jones@example.com")), "first");
    EXPECT_EQ(NoteOf(items.Find("PAT.JONES@example.com")), "<nothing>");
    // The sought address in the stored one; the stored subject in the sought.
    EXPECT_EQ(NoteOf(items.FindEx("PAT.JONES@EXAMPLE.COM", "RE: budget")), "first");
    EXPECT_EQ(NoteOf(items.FindEx("pat.jones@example.com.au", "Budget")), "<nothing>");
    // By prefix: "FW: Offsite" strips to "Offsite", as does the stored one.
    EXPECT_EQ(NoteOf(items.FindEx("sam@example.com", "FW: Offsite")), "second");
    EXPECT_EQ(NoteOf(items.FindEx("sam@example.com", "Off")), "<nothing>");
    // An empty address occurs in every non-empty one, never in an empty one.
    EXPECT_EQ(NoteOf(items.FindEx("", "Lunch")), "<nothing>");
    EXPECT_EQ(NoteOf(items.FindEx("", "Budget")), "first");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MatchingTest, AnAddressMatchesOnlyAsAWholeAddress) {
    items.Add(MakeReminder("jordan@example.com", "Budget review", "jordan"));
    items.Add(MakeReminder("bob@x.com.au", "Plans", "bob.au"));
    items.Add(MakeReminder("Pat Lee <pat.lee@x.com>", "Plans", "display form"));
    // A reply from dan@example.com is not one from jordan@example.com, and
    // bob@x.com is not bob@x.com.au.
    EXPECT_EQ(NoteOf(items.FindEx("dan@example.com", "RE: Budget review")), "<nothing>");
    EXPECT_EQ(NoteOf(items.FindEx("bob@x.com", "RE: Plans")), "<nothing>");
    EXPECT_EQ(NoteOf(items.FindEx("jones@example.com", "Budget")), "<nothing>");
    EXPECT_EQ(NoteOf(items.FindEx("x.com", "Plans")), "<nothing>");
    // Inside a display form, and in another letter case, it still matches.
    EXPECT_EQ(NoteOf(items.FindEx("PAT.LEE@x.com", "RE: Plans")), "display form");
    EXPECT_EQ(NoteOf(items.FindEx("Jordan@Example.com", "RE: Budget review")), "jordan");

    items.RemoveBy("dan@example.com", "RE: Budget review");
    items.RemoveBy("bob@x.com", "Plans");
    items.Remove(MakeReminder("an@example.com", "Budget review"));
    EXPECT_EQ(items.Count(), 7);
    items.RemoveBy("pat.lee@x.com", "Plans");
    EXPECT_EQ(items.Count(), 6);
    EXPECT_EQ(NoteOf(items.Item(6)), "bob.au");
}

TEST_F(MatchingTest, RemoveByTakesTheLastMatchAndTracesEachStep) {
    items.RemoveBy("pat.jones@example.com", "RE: Budget");
    EXPECT_EQ(Notes(), QStringList({"first", "second", "fourth"}));
    EXPECT_TRUE(items.Dirty());
    EXPECT_THAT(
        log.TraceMessages("RemoveBy"),
        ElementsAre("Removing item from sender 'pat.jones@example.com' and subject 'RE: Budget'",
                    "Checking sender ''", "Checking sender 'pat.jones@example.com'",
                    "Checking subject 'Budget'", "Items are identical, removing reminder"));
}

TEST_F(MatchingTest, RemoveByWithoutMatchOnlyTraces) {
    items.SaveData();
    items.RemoveBy("sam@example.com", "Budget");
    EXPECT_EQ(items.Count(), 4);
    EXPECT_FALSE(items.Dirty());
    EXPECT_THAT(log.TraceMessages("RemoveBy"),
                ElementsAre("Removing item from sender 'sam@example.com' and subject 'Budget'",
                            "Checking sender ''", "Checking sender 'pat.jones@example.com'",
                            "Checking sender 'sam@example.com'", "Checking subject 'RE: Offsite'",
                            "Checking sender 'pat.jones@example.com'"));
}

TEST_F(MatchingTest, SubjectsThatAreOnlyPrefixesMatchEachOther) {
    items.Add(MakeReminder("kim@example.com", "RE:", "fifth"));
    items.RemoveBy("kim@example.com", "FW:");
    EXPECT_EQ(items.Count(), 4);
    // However many there are.
    items.Add(MakeReminder("kim@example.com", "RE: FW:", "sixth"));
    EXPECT_EQ(NoteOf(items.FindEx("kim@example.com", "AW: WG:")), "sixth");
    EXPECT_EQ(NoteOf(items.RemoveBy("kim@example.com", "AW: WG:")), "sixth");
    // An empty subject is contained in any non-empty one.
    items.RemoveBy("sam@example.com", "");
    EXPECT_EQ(Notes(), QStringList({"first", "third", "fourth"}));
}

TEST_F(MatchingTest, AReplyWithStackedPrefixesEndsTheReminderItAnswers) {
    items.Add(MakeReminder("lee@example.com", "Budget: Q3 figures", "fifth"));
    // FindEx found these before; RemoveBy, taking off one prefix only,
    // removed nothing.
    EXPECT_EQ(NoteOf(items.FindEx("pat.jones@example.com", "AW: WG: Budget")), "first");
    EXPECT_EQ(NoteOf(items.RemoveBy("pat.jones@example.com", "AW: WG: Budget")), "third");
    EXPECT_EQ(NoteOf(items.RemoveBy("PAT.JONES@example.com", "[team] Re[2]: Fwd: budget")),
              "first");
    // The stored subject may itself be a reply.
    EXPECT_EQ(NoteOf(items.RemoveBy("sam@example.com", "SV: VB: Offsite")), "second");
    // A colon of the subject's own is not a prefix.
    EXPECT_EQ(NoteOf(items.RemoveBy("lee@example.com", "RE: Budget: Q3 figures")), "fifth");
    EXPECT_EQ(Notes(), QStringList({"fourth"}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MatchingTest, ANewMessageThatMerelyHoldsTheSubjectEndsNothing) {
    items.SaveData();
    for (const QString subject : {"Budget 2027 plan", "RE: Budget 2027 plan", "AW: WG: Budgets"}) {
        // FindEx keeps its containment: the stored subject occurs in these.
        EXPECT_EQ(NoteOf(items.FindEx("pat.jones@example.com", subject)), "first");
        EXPECT_EQ(items.RemoveBy("pat.jones@example.com", subject), nullptr)
            << subject.toStdString();
    }
    // Neither does a reply from someone else, nor a bare prefix.
    EXPECT_EQ(items.RemoveBy("sam@example.com", "AW: WG: Budget"), nullptr);
    EXPECT_EQ(NoteOf(items.FindEx("pat.jones@example.com", "RE: RE:")), "<nothing>");
    EXPECT_EQ(items.Count(), 4);
    EXPECT_FALSE(items.Dirty());
}

TEST_F(MatchingTest, OnePrefixKeepsTheLiteralRule) {
    // Whatever comes before the first colon is a prefix, known or not, and
    // letter case does not count.
    items.Add(MakeReminder("kim@example.com", "Offsite", "fifth"));
    EXPECT_EQ(NoteOf(items.RemoveBy("kim@example.com", "Antwoord: OFFSITE")), "fifth");
    EXPECT_EQ(NoteOf(items.RemoveBy("pat.jones@example.com", "re: BUDGET")), "third");
    // The reply's subject is sought in the stored one.
    EXPECT_EQ(NoteOf(items.RemoveBy("pat.jones@example.com", "Bud")), "first");
}

TEST_F(MatchingTest, FindBySenderGivesEveryReminderOfTheSenderInOrder) {
    const auto notes = [](const std::vector<Reminder>& found) {
        QStringList list;
        for (const auto& item : found) list << item->Note();
        return list;
    };
    EXPECT_EQ(notes(items.FindBySender("PAT.JONES@example.com")), QStringList({"first", "third"}));
    EXPECT_EQ(notes(items.FindBySender("jones@example.com")), QStringList());
    EXPECT_EQ(notes(items.FindBySender("")), QStringList({"first", "second", "third"}));
}

TEST_F(MatchingTest, RemoveTakesTheVeryReminderOrElseTheLastMatch) {
    items.SaveData();
    // "third" matches "first" too, but the very reminder given goes.
    items.Remove(items.Item(1));
    EXPECT_EQ(Notes(), QStringList({"second", "third", "fourth"}));
    EXPECT_TRUE(items.Dirty());

    // A reminder not in the list removes the last one that matches it.
    items.Add(MakeReminder("pat.jones@example.com", "Budget", "fifth"));
    items.Remove(MakeReminder("PAT.JONES@example.com", "Budget"));
    EXPECT_EQ(Notes(), QStringList({"second", "third", "fourth"}));

    items.SaveData();
    items.Remove(MakeReminder("nobody@example.com", "Budget"));
    EXPECT_EQ(items.Count(), 3);
    EXPECT_FALSE(items.Dirty());

    items.Remove(nullptr);
    EXPECT_EQ(items.Count(), 3);
    EXPECT_THAT(Errors(),
                ElementsAre(Report("Error occurred at line 4.  Reason: Object variable or "
                                   "With block variable not set",
                                   1, "Chasewell.CReminderItems.Remove")));
}

TEST_F(MatchingTest, RemoveByEmailAddressIsRetired) {
    items.SaveData();
    items.RemoveByEmailAddress("pat.jones@example.com");
    EXPECT_EQ(items.Count(), 4);
    EXPECT_TRUE(items.Dirty());
    ASSERT_EQ(env.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(env.messageBoxes.shown[0].title, "Chasewell.RemoveByEmailAddress");
    EXPECT_EQ(env.messageBoxes.shown[0].text,
              "RemoveByEmailAddress is no longer used and should not have been called.  "
              "Please report this message to technical support.");
}

}  // namespace
}  // namespace store_tests
