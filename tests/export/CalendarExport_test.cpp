// The calendar export: what a calendar program reads back from the file, the
// identity and versions of the events across exports, and what the user is
// told when reminders are skipped or the file cannot be written.

#include <gtest/gtest.h>

#include <QDir>

#include "host/export/CalendarExport.h"
#include "host/export/ExportHistory.h"
#include "host/export/ReminderEvents.h"
#include "tests/export/ExportFixture.h"

namespace export_tests {
namespace {

using host::calendar::CalendarExportResult;
using host::calendar::EventsOf;
using host::calendar::EventUid;
using host::calendar::ExportHistory;
using host::calendar::ExportReminders;

class CalendarExportTest : public ExportFixture {
protected:
    QString Target() const { return folder.File("reminders.ics"); }
    QString History() const { return folder.File("ChasewellCalendarHistory.txt"); }
    CalendarExportResult Export(const QString& path) { return ExportReminders(reminders, path); }
};

TEST_F(CalendarExportTest, EveryPendingReminderReadsBackAsAnEventWithAnAlarm) {
    Add("pat@example.com", "Quarterly figures", "E1", "3/7/2024 8:00:00 AM", "call if no answer");
    // Long enough to be folded, with characters of several bytes where a
    // fold could fall, and every character TEXT values must escape.
    const QString subject = QString::fromUtf8(
        "Überweisung für das Büro – Miete März, bitte bestätigen; äöü äöü äöü äöü äöü");
    Add("lee@example.com", subject, "E2", "3/8/2024 2:30 PM",
        "line one\r\nline two; with, commas\\ and a bell\a");
    Add("sam@example.com", "", "E3", "3/9/2024 08:00 AM");

    const CalendarExportResult result = Export(Target());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.Message(), "3 reminders exported to " + Target() + ".");

    const QJsonObject calendar = ReadBack(Target());
    EXPECT_EQ(calendar["version"].toString(), "2.0");
    EXPECT_EQ(calendar["prodid"].toString(), "-//Tandrel Software//Chasewell 3.0.184//EN");
    const QJsonArray events = calendar["events"].toArray();
    ASSERT_EQ(events.size(), 3);
    const QString exportTime = Utc("2024-03-04T09:15:00");
    const struct {
        QString uid, start, summary;
        QJsonValue description;
    } expected[] = {
        {EventUid("pat@example.com", "Quarterly figures", "E1", 1), "2024-03-07T08:00:00",
         "Follow up with pat@example.com: Quarterly figures", "call if no answer"},
        {EventUid("lee@example.com", subject, "E2", 1), "2024-03-08T14:30:00",
         "Follow up with lee@example.com: " + subject,
         "line one\nline two; with, commas\\ and a bell"},
        {EventUid("sam@example.com", "", "E3", 1), "2024-03-09T08:00:00",
         "Follow up with sam@example.com", QJsonValue::Null},
    };
    for (int i = 0; i < 3; ++i) {
        const QJsonObject event = events[i].toObject();
        SCOPED_TRACE(expected[i].summary.toStdString());
        EXPECT_EQ(event["uid"].toString(), expected[i].uid);
        EXPECT_EQ(event["start"].toString(), expected[i].start);
        EXPECT_TRUE(event["floating"].toBool());
        EXPECT_EQ(event["duration_seconds"].toDouble(), 900);
        EXPECT_EQ(event["summary"].toString(), expected[i].summary);
        EXPECT_EQ(event["description"], expected[i].description);
        EXPECT_EQ(event["sequence"].toInt(), 0);
        EXPECT_EQ(event["dtstamp"].toString(), exportTime);
        EXPECT_EQ(event["last_modified"].toString(), exportTime);
        EXPECT_EQ(event["transp"].toString(), "TRANSPARENT");
        EXPECT_EQ(event["alarms"].toArray(),
                  QJsonArray({QJsonObject{{"action", "DISPLAY"},
                                          {"trigger_seconds", 0},
                                          {"related", "START"},
                                          {"description", expected[i].summary}}}));
    }

    // Lines end in CR LF, hold at most 75 octets, and a fold never splits a
    // character.
    const QByteArray bytes = FileBytes(Target());
    EXPECT_TRUE(bytes.startsWith("BEGIN:VCALENDAR\r\n"));
    EXPECT_TRUE(bytes.endsWith("END:VCALENDAR\r\n"));
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
        EXPECT_LE(line.size() - 1, 75) << line.toStdString();
        EXPECT_FALSE(QString::fromUtf8(line).contains(QChar::ReplacementCharacter))
            << line.toStdString();
    }
}

TEST_F(CalendarExportTest, AnEventKeepsItsUidWhenReDatedAndTwinRemindersGetTheirOwn) {
    // The same message given reminders twice: the same three values. The
    // first twin's date is broken: it is skipped but still counted, so that
    // mending it later renumbers nobody.
    auto broken = Add("pat@example.com", "Budget", "E1", "soon");
    auto twin = Add("pat@example.com", "Budget", "E1", "3/7/2024 8:00 AM");
    auto other = Add("pat@example.com", "Budget", "E2", "3/7/2024 8:00 AM");
    auto events = EventsOf(reminders).events;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].uid, EventUid("pat@example.com", "Budget", "E1", 2));
    EXPECT_TRUE(events[0].uid.endsWith("-2@chasewell")) << events[0].uid.toStdString();
    EXPECT_EQ(events[1].uid, EventUid("pat@example.com", "Budget", "E2", 1));
    EXPECT_NE(events[0].uid, events[1].uid);

    broken->setReminderDate("3/9/2024 8:00 AM");
    twin->setReminderDate("4/1/2024 5:00 PM");
    twin->setNote("re-dated");
    events = EventsOf(reminders).events;
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].uid, EventUid("pat@example.com", "Budget", "E1", 1));
    EXPECT_EQ(events[1].uid, EventUid("pat@example.com", "Budget", "E1", 2));
    EXPECT_EQ(events[1].start, QDateTime::fromString("2024-04-01T17:00:00Z", Qt::ISODate));

    // The values are kept apart in the hash: moving text from one to the
    // next makes another reminder.
    EXPECT_NE(EventUid("pat@example.com", "Budget", "", 1),
              EventUid("pat@example.co", "mBudget", "", 1));
}

TEST_F(CalendarExportTest, OnlyAChangedReminderGetsANewSequenceWhicheverFileItGoesTo) {
    auto budget = Add("pat@example.com", "Budget", "E1", "3/7/2024 8:00 AM", "first note");
    Add("lee@example.com", "Plans", "E2", "3/8/2024 8:00 AM");
    ASSERT_TRUE(Export(Target()).written);
    const QByteArray first = FileBytes(Target());

    // Nothing changed: the same bytes, an hour later.
    env.clock.Set("2024-03-04 10:15:00");
    ASSERT_TRUE(Export(Target()).written);
    EXPECT_EQ(FileBytes(Target()), first);

    budget->setNote("second note");
    env.clock.Set("2024-03-04 11:00:00");
    ASSERT_TRUE(Export(Target()).written);
    QJsonArray events = EventsIn(Target());
    EXPECT_EQ(events[0].toObject()["sequence"].toInt(), 1);
    EXPECT_EQ(events[0].toObject()["last_modified"].toString(), Utc("2024-03-04T11:00:00"));
    EXPECT_EQ(events[0].toObject()["dtstamp"].toString(), Utc("2024-03-04T11:00:00"));
    EXPECT_EQ(events[1].toObject()["sequence"].toInt(), 0);
    EXPECT_EQ(events[1].toObject()["last_modified"].toString(), Utc("2024-03-04T09:15:00"));

    // Another file gets the same numbers: a calendar that imported the first
    // must never see one go back.
    budget->setReminderDate("3/10/2024 8:00 AM");
    env.clock.Set("2024-03-04 12:00:00");
    const QString other = folder.File("elsewhere.ics");
    ASSERT_TRUE(Export(other).written);
    events = EventsIn(other);
    EXPECT_EQ(events[0].toObject()["sequence"].toInt(), 2);
    EXPECT_EQ(events[0].toObject()["start"].toString(), "2024-03-10T08:00:00");
    EXPECT_EQ(events[1].toObject()["sequence"].toInt(), 0);
}

TEST_F(CalendarExportTest, RemindersWhoseDateIsNotADateAreSkippedAndSaid) {
    Add("pat@example.com", "Quarterly figures", "E1", "3/7/2024 8:00 AM");
    Add("lee@example.com", "Budget", "E2", "someday");
    CalendarExportResult result = Export(Target());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.exported, 1);
    EXPECT_EQ(result.Message(), "1 reminder exported to " + Target() +
                                    ".\n\nNot exported, because its reminder date is not a "
                                    "date:\n  lee@example.com \"Budget\": \"someday\"");
    EXPECT_EQ(EventsIn(Target()).size(), 1);

    Add("sam@example.com", "Plans", "E3", "");
    reminders.Remove(reminders.Item(1));
    result = Export(Target());
    EXPECT_EQ(result.Message(),
              "0 reminders exported to " + Target() +
                  ".\n\nNot exported, because their reminder dates are not dates:\n"
                  "  lee@example.com \"Budget\": \"someday\"\n  sam@example.com \"Plans\": \"\"");
    // An empty calendar is still a calendar.
    EXPECT_EQ(EventsIn(Target()).size(), 0);
}

TEST_F(CalendarExportTest, AFailedExportSaysWhatFailedAndLeavesTheFileAsItWas) {
    Add("pat@example.com", "Budget", "E1", "3/7/2024 8:00 AM");
    const QString missing = folder.File("no such folder/reminders.ics");
    CalendarExportResult result = Export(missing);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.Message(), "The reminders could not be exported to " + missing +
                                    ".  Could not create a new file for reminders.ics in " +
                                    folder.File("no such folder") +
                                    ": No such file or directory.  The file was left as it was.");
    EXPECT_FALSE(QFile::exists(History()));

    ASSERT_TRUE(Export(Target()).written);
    const QByteArray before = FileBytes(Target());
    const QByteArray historyBefore = FileBytes(History());
    reminders.Item(1)->setNote("changed");
    env.files.failStep = platform::FileStep::Rename;
    result = Export(Target());
    EXPECT_EQ(result.Message(), "The reminders could not be exported to " + Target() +
                                    ".  Could not replace " + Target() +
                                    ": Input/output error.  The file was left as it was.");
    EXPECT_EQ(FileBytes(Target()), before);
    // The change was not exported, so the history has not heard of it.
    EXPECT_EQ(FileBytes(History()), historyBefore);

    // A history that cannot be read could make numbers go back: nothing is
    // written.
    env.files.failStep.reset();
    env.files.failReads = true;
    result = Export(Target());
    EXPECT_EQ(result.Message(), "The reminders could not be exported to " + Target() +
                                    ".  The export history cannot be read: Could not read " +
                                    History() +
                                    ": Input/output error.  The file was left as "
                                    "it was.");
    EXPECT_EQ(FileBytes(Target()), before);
}

TEST_F(CalendarExportTest, AHistoryThatCannotBeSavedIsSaidAfterTheCalendarWasWritten) {
    Add("pat@example.com", "Budget", "E1", "3/7/2024 8:00 AM");
    // Only the history fails: a folder stands where its file would go.
    ASSERT_TRUE(QDir().mkpath(History()));
    const CalendarExportResult result = Export(Target());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.Summary(), "1 reminder exported to " + Target() + ".");
    EXPECT_TRUE(
        result.Problems().startsWith("The export history " + History() + " could not be saved: "))
        << result.Problems().toStdString();
    EXPECT_EQ(EventsIn(Target()).size(), 1);
}

TEST(ExportHistoryTest, ReadsBackWhatItWroteSkipsWhatItCannotReadAndForgetsOnlyEndedEvents) {
    const QDateTime march = QDateTime::fromString("2024-03-04T09:15:00Z", Qt::ISODate);
    const QDateTime april = march.addMonths(1);
    ExportHistory history;
    history.Record("a@chasewell", "fa", march);
    history.Record("b@chasewell", "fb", march);
    EXPECT_EQ(history.Record("b@chasewell", "fb2", april).sequence, 1);

    const QByteArray bytes = history.ToBytes() +
                             "garbage\n"
                             "c@chasewell|x|20240304T091500Z|fc\n"
                             "d@chasewell|3|not a time|fd\n"
                             "|1|20240304T091500Z|fe\n";
    ExportHistory read = ExportHistory::FromBytes(bytes);
    EXPECT_EQ(read.Size(), 2);
    ASSERT_NE(read.Find("b@chasewell"), nullptr);
    EXPECT_EQ(read.Find("b@chasewell")->sequence, 1);
    EXPECT_EQ(read.Find("b@chasewell")->lastModified, april);
    EXPECT_EQ(read.Find("b@chasewell")->fingerprint, "fb2");
    EXPECT_EQ(read.ToBytes(), history.ToBytes());

    // "a" is still pending, unchanged since March; "b" ended.
    const QDateTime nextYear = march.addYears(2);
    EXPECT_EQ(read.Record("a@chasewell", "fa", nextYear).lastModified, march);
    read.ForgetEndedBefore(nextYear.addDays(-400));
    EXPECT_NE(read.Find("a@chasewell"), nullptr);
    EXPECT_EQ(read.Find("b@chasewell"), nullptr);
}

}  // namespace
}  // namespace export_tests
