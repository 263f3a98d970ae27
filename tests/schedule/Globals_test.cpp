#include <gtest/gtest.h>

#include "schedule/Globals.h"
#include "tests/support/EngineFixture.h"

namespace {

using host::ErrorReportRecord;
using testing_support::EngineFixture;

class DefaultReminderDateTest : public EngineFixture {
protected:
    QString Default() { return env.dates.GeneralForm(Globals::DefaultReminderDate()); }
};

TEST_F(DefaultReminderDateTest, FollowsDaysUseNowAndTimeOfDay) {
    env.clock.Set("2024-03-07T16:25:10");
    EXPECT_EQ(Default(), "3/14/2024 8:00:00 AM") << "no settings: a week on at 8:00";

    SetSetting("UseNow", "True");
    SetSetting("Days", "2");
    EXPECT_EQ(Default(), "3/9/2024 4:25:10 PM") << "the time of sending is kept";
    SetSetting("UseNow", "1");
    EXPECT_EQ(Default(), "3/9/2024 4:25:10 PM");

    SetSetting("UseNow", "False");
    SetSetting("Days", "1");
    SetSetting("TimeOfDay", "5:30 PM");
    env.clock.Set("2024-03-07T09:00:00");
    EXPECT_EQ(Default(), "3/8/2024 5:30:00 PM");
    env.clock.Set("2024-03-07T23:00:00");
    EXPECT_EQ(Default(), "3/8/2024 5:30:00 PM");

    SetSetting("UseNow", "0");
    SetSetting("TimeOfDay", "1/1/2000 6:15:45 AM");
    EXPECT_EQ(Default(), "3/8/2024 6:15:45 AM") << "the date part of the time of day plays no part";
}

TEST_F(DefaultReminderDateTest, ZeroAndNegativeDaysMayFallInThePast) {
    env.clock.Set("2024-03-07T09:00:00");
    SetSetting("Days", "0");
    EXPECT_EQ(Default(), "3/7/2024 8:00:00 AM");
    SetSetting("Days", "-3");
    EXPECT_EQ(Default(), "3/4/2024 8:00:00 AM");
}

TEST_F(DefaultReminderDateTest, ValuesThatDoNotConvertFailWithTheRuntimeDescriptions) {
    const auto errorOf = [] {
        try {
            Globals::DefaultReminderDate();
            return QString("no error");
        } catch (const platform::RuntimeError& error) {
            return error.description();
        }
    };
    SetSetting("Days", "abc");
    EXPECT_EQ(errorOf(), "Type mismatch");
    SetSetting("Days", "40000");
    EXPECT_EQ(errorOf(), "Overflow");
    SetSetting("Days", "7");
    SetSetting("UseNow", "sometimes");
    EXPECT_EQ(errorOf(), "Type mismatch");
    SetSetting("UseNow", "False");
    SetSetting("TimeOfDay", "xyz");
    EXPECT_EQ(errorOf(), "Type mismatch");
}

// One plain message per value that no reminder can be made from, naming the
// setting, its value, the file and what to do; nothing for usable values.
TEST_F(DefaultReminderDateTest, EachUnusableValueIsNamedWithItsFileAndWhatToDo) {
    const QString where = "The setting %1 in TandrelSoftware.ini (in memory) is \"%2\": ";
    const QString none =
        "so messages sent with a reminder get no reminder until it is corrected.  ";
    EXPECT_EQ(Globals::DefaultReminderSettingProblems(), QStringList()) << "the defaults";

    SetSetting("Days", "abc");
    SetSetting("TimeOfDay", "25:99");
    EXPECT_EQ(Globals::DefaultReminderSettingProblems(),
              (QStringList{where.arg("Days", "abc") + "not a whole number of days, " + none +
                               "Enter the number of days in the Chasewell settings dialog.",
                           where.arg("TimeOfDay", "25:99") + "not a time of day, " + none +
                               "Enter the time reminders occur at in the Chasewell settings "
                               "dialog."}));
    SetSetting("Days", "99999");
    SetSetting("UseNow", "maybe");
    EXPECT_EQ(Globals::DefaultReminderSettingProblems(),
              (QStringList{where.arg("Days", "99999") +
                               "more days than a reminder can be put off (32767 at most), " + none +
                               "Enter the number of days in the Chasewell settings dialog.",
                           where.arg("UseNow", "maybe") + "neither True nor False, " + none +
                               "Choose when reminders occur in the Chasewell settings dialog.",
                           where.arg("TimeOfDay", "25:99") + "not a time of day, " + none +
                               "Enter the time reminders occur at in the Chasewell settings "
                               "dialog."}));
    // Reminders at the time of sending never read the time of day.
    SetSetting("UseNow", "True");
    SetSetting("Days", "-3");
    EXPECT_EQ(Globals::DefaultReminderSettingProblems(),
              QStringList{where.arg("Days", "-3") +
                          "a reminder that many days from now would lie in the past, so each one "
                          "falls due the moment it is made.  Enter the number of days, 0 or "
                          "more, in the Chasewell settings dialog."});
    SetSetting("Days", " 0 ");
    SetSetting("UseNow", "False");
    SetSetting("TimeOfDay", "17:30");
    EXPECT_EQ(Globals::DefaultReminderSettingProblems(), QStringList());
    Globals::ShowDefaultReminderSettingProblems();
    EXPECT_TRUE(env.messageBoxes.shown.empty());
}

TEST_F(DefaultReminderDateTest, SettingsAreReadUnderTheEnginesNameInEitherLetterCase) {
    env.settings.SaveSetting(host::kSettingsApplicationName, "CHASEWELL", "days", "3");
    env.clock.Set("2024-03-07T09:00:00");
    EXPECT_EQ(Default(), "3/10/2024 8:00:00 AM");
    env.settings.SaveSetting("SomeOtherApplication", "Chasewell", "Days", "1");
    EXPECT_EQ(Default(), "3/10/2024 8:00:00 AM");
    Globals::setChasewellFromWordWanted(true);
    EXPECT_EQ(Setting("TandrelSoftwareWord", "ChasewellFromWordWanted"), "True");
    EXPECT_TRUE(Globals::ChasewellFromWordWanted());
}

// Mail helper objects with just what the address rules read.
struct Entry : mailhelper::AddressEntry {
    Entry(QString t, QString a) : type(std::move(t)), address(std::move(a)) {}
    QString Type() const override { return type; }
    QString Address() const override { return address; }
    QString type, address;
};

struct Recipient : mailhelper::SafeRecipient {
    qint32 Type() const override { return 1; }
    QString Address() const override { return address; }
    std::shared_ptr<mailhelper::AddressEntry> AddressEntry() override { return entry; }
    QString address;
    std::shared_ptr<Entry> entry;
};

struct SentMessage : mailhelper::SafeMailItem {
    void setItem(const platform::ObjectRef&) override {}
    QString Subject() const override { return {}; }
    void setSubject(const QString&) override {}
    std::shared_ptr<mailhelper::SafeRecipients> Recipients() override { return nullptr; }
    QString EntryId() const override { return {}; }
    std::shared_ptr<client::MAPIFolder> Parent() override { return nullptr; }
    QDateTime SentOn() const override { return {}; }
    void Save() override {}
    void Display() override {}
    std::shared_ptr<mailhelper::AddressEntry> Sender() override { return entry; }
    QString TransportMessageHeaders() const override { return {}; }
    QString InternetMessageId() const override { return {}; }
    std::shared_ptr<Entry> entry;
};

struct Utilities : mailhelper::MAPIUtils {
    QString GetSenderSMTPAddress(mailhelper::SafeMailItem&) override {
        return "sender-smtp@example.com";
    }
    QString GetSMTPAddress(mailhelper::AddressEntry& entry) override {
        if (entry.Address() == "/o=broken")
            throw platform::RuntimeError::NotSupported();
        return "resolved@example.com";
    }
    void Cleanup() override {}
};

class AddressRulesTest : public EngineFixture {
protected:
    AddressRulesTest() {
        env.objects.Register(mailhelper::kMAPIUtilsProgId,
                             [] { return std::make_shared<Utilities>(); });
    }
    QString RecipientAddress(const QString& address, std::shared_ptr<Entry> entry) {
        Recipient recipient;
        recipient.address = address;
        recipient.entry = std::move(entry);
        return Globals::GetRecipientSMTPAddress(recipient);
    }
    QString SenderAddress(std::shared_ptr<Entry> entry) {
        SentMessage sender;
        sender.entry = std::move(entry);
        return Globals::GetFromSMTPAddress(sender);
    }
};

TEST_F(AddressRulesTest, RecipientsResolveExchangeEntriesAndFallBackToTheEntrysAddress) {
    EXPECT_EQ(RecipientAddress("pat@example.com", nullptr), "pat@example.com");
    EXPECT_EQ(RecipientAddress("Lee", std::make_shared<Entry>("EX", "/o=Example/cn=lee")),
              "resolved@example.com");
    EXPECT_EQ(
        RecipientAddress("pat@example.com", std::make_shared<Entry>("SMTP", "other@example.com")),
        "pat@example.com");
    EXPECT_EQ(RecipientAddress("", std::make_shared<Entry>("SMTP", "entry@example.com")),
              "entry@example.com");
    EXPECT_EQ(RecipientAddress("x", std::make_shared<Entry>("ex", "/o=Example")), "x")
        << "only exactly EX";
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(AddressRulesTest, SendersResolveThroughTheHelperAndNoEntryGivesNothing) {
    EXPECT_EQ(SenderAddress(nullptr), "");
    EXPECT_EQ(SenderAddress(std::make_shared<Entry>("EX", "/o=Example/cn=lee")),
              "resolved@example.com");
    EXPECT_EQ(SenderAddress(std::make_shared<Entry>("SMTP", "pat@example.com")),
              "sender-smtp@example.com");
    EXPECT_TRUE(log.Errors().empty());
}

TEST_F(AddressRulesTest, FailuresAreReportedAndGiveAnEmptyAddress) {
    EXPECT_EQ(RecipientAddress("Lee", std::make_shared<Entry>("EX", "/o=broken")), "");
    EXPECT_EQ(SenderAddress(std::make_shared<Entry>("EX", "/o=broken")), "");
    env.objects.Unregister(mailhelper::kMAPIUtilsProgId);
    EXPECT_EQ(SenderAddress(nullptr), "") << "the helper is created before the sender is looked at";
    EXPECT_EQ(log.Errors(),
              (std::vector<ErrorReportRecord>{
                  {"Error occurred.  Reason: Object doesn't support this property or method", 1,
                   "Chasewell.GetRecipientSMTPAddress"},
                  {"Error occurred.  Reason: Object doesn't support this property or method", 1,
                   "Chasewell.GetFromSMTPAddress"},
                  {"Error occurred.  Reason: ActiveX component can't create object", 1,
                   "Chasewell.GetFromSMTPAddress"},
              }));
}

TEST_F(AddressRulesTest, TraceLinesGoThroughANewTraceLogAndItsFailuresPassToTheCaller) {
    Globals::WriteTrace("Proc", "message");
    ASSERT_EQ(log.Traces().size(), 1u);
    EXPECT_EQ(log.Traces()[0], (host::TraceLine{"Chasewell", "Proc", "message", 0}));
    env.objects.Unregister(engine::kTraceLogProgId);
    EXPECT_THROW(Globals::WriteTrace("Proc", "lost"), platform::RuntimeError);
}

}  // namespace
