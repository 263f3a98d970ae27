#include "schedule/Globals.h"

#include "addin/contracts/ErrorReport.h"
#include "platform/Env.h"
#include "store/CReminderItems.h"

namespace Globals {

std::shared_ptr<CReminderItems> m_ReminderItems;
std::shared_ptr<engine::IEngine> m_Engine;

QString SettingsApplicationName() {
    return engine::Global()->SettingsApplicationName();
}

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue) {
    return platform::Settings().GetSetting(SettingsApplicationName(), section, key, defaultValue);
}

void SaveSetting(const QString& section, const QString& key, const QString& value) {
    platform::Settings().SaveSetting(SettingsApplicationName(), section, key, value);
}

namespace {
// The failure last reported by SaveSettingOrReport; empty after a success.
QString g_reportedSettingsFailure;
}  // namespace

bool SaveSettingOrReport(const QString& section, const QString& key, const QString& value) {
    try {
        SaveSetting(section, key, value);
        g_reportedSettingsFailure.clear();
        return true;
    } catch (...) {
        const QString description = platform::CurrentErrorDescription();
        if (description != g_reportedSettingsFailure) {
            g_reportedSettingsFailure = description;
            engine::ReportError(engine::ReasonMessage(description), 0,
                                engine::ReportSource::AfterAppName(".SaveSetting"));
        }
        return false;
    }
}

namespace {
QString Read(const char* key, const char* defaultValue) {
    return GetSetting(kSection, QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}
QString BoolWord(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}
}  // namespace

qint16 Days() {
    return platform::Dates().CInt(Read("Days", "7"));
}
bool UseNow() {
    return platform::Dates().CBool(Read("UseNow", "0"));
}
QDateTime TimeOfDay() {
    return platform::Dates().CDate(Read("TimeOfDay", "8:00 AM"));
}
double DisplayNext() {
    return platform::Dates().CDbl(Read("DisplayNext", "0"));
}
double IgnoreCCRecipients() {
    return platform::Dates().CDbl(Read("IgnoreCCRecipients", "1"));
}
bool Remove() {
    return platform::Dates().CBool(Read("Remove", "False"));
}
qint32 DisplayIndividualReminders() {
    return platform::Dates().CLng(Read("DisplayIndividualReminders", "0"));
}
QString MRUSnoozeTime() {
    return Read("MRUSnoozeTime", "5 minutes");
}
void setMRUSnoozeTime(const QString& text) {
    SaveSettingOrReport(kSection, QStringLiteral("MRUSnoozeTime"), text);
}
qint32 DisplayExLeft() {
    return platform::Dates().CLng(Read("DisplayExLeft", "-1"));
}
qint32 DisplayExTop() {
    return platform::Dates().CLng(Read("DisplayExTop", "-1"));
}

bool ChasewellFromWordWanted() {
    return platform::Dates().CBool(GetSetting(
        kWordSection, QStringLiteral("ChasewellFromWordWanted"), QStringLiteral("False")));
}

void setChasewellFromWordWanted(bool wanted) {
    SaveSettingOrReport(kWordSection, QStringLiteral("ChasewellFromWordWanted"), BoolWord(wanted));
}

QDateTime DefaultReminderDate() {
    using platform::LocaleDates;
    const bool useNow = UseNow();
    const qint16 days = Days();
    const QDateTime now = platform::Now();
    const QDateTime sameTime = LocaleDates::DateAdd(LocaleDates::Interval::Day, days, now);
    if (useNow)
        return sameTime;
    // The day `days` from today, at exactly the time of day of the setting;
    // the date part of the setting plays no part.
    const QTime timeOfDay = TimeOfDay().time();
    const auto secondsOfDay = [](const QTime& t) {
        return t.hour() * 3600 + t.minute() * 60 + t.second();
    };
    const QDateTime wholeSeconds = sameTime.addMSecs(-sameTime.time().msec());
    return wholeSeconds.addSecs(secondsOfDay(timeOfDay) - secondsOfDay(now.time()));
}

namespace {

// "The setting Days in <file> is "abc": <what that means>  <what to do>"
QString SettingProblem(const char* key, const QString& value, const QString& meaning,
                       const QString& remedy) {
    return QStringLiteral("The setting %1 in %2 is \"%3\": %4  %5")
        .arg(QLatin1String(key), platform::Settings().Location(SettingsApplicationName()), value,
             meaning, remedy);
}

const QString kNoReminders =
    QStringLiteral("so messages sent with a reminder get no reminder until it is corrected.");

}  // namespace

QStringList DefaultReminderSettingProblems() {
    QStringList problems;
    const platform::LocaleDates& dates = platform::Dates();
    const QString days = Read("Days", "7");
    const QString daysRemedy =
        QStringLiteral("Enter the number of days in the Chasewell settings dialog.");
    try {
        if (dates.CInt(days) < 0)
            problems << SettingProblem(
                "Days", days,
                QStringLiteral("a reminder that many days from now would lie in the past, so "
                               "each one falls due the moment it is made."),
                QStringLiteral("Enter the number of days, 0 or more, in the Chasewell settings "
                               "dialog."));
    } catch (const platform::RuntimeError& error) {
        problems << SettingProblem(
            "Days", days,
            (error.number() == platform::RuntimeError::Overflow().number()
                 ? QStringLiteral("more days than a reminder can be put off (32767 at most), ")
                 : QStringLiteral("not a whole number of days, ")) +
                kNoReminders,
            daysRemedy);
    }
    const QString useNow = Read("UseNow", "0");
    bool timeOfDayUsed = true;
    try {
        timeOfDayUsed = !dates.CBool(useNow);
    } catch (const platform::RuntimeError&) {
        problems << SettingProblem(
            "UseNow", useNow, QStringLiteral("neither True nor False, ") + kNoReminders,
            QStringLiteral("Choose when reminders occur in the Chasewell settings dialog."));
    }
    const QString timeOfDay = Read("TimeOfDay", "8:00 AM");
    if (timeOfDayUsed && !dates.IsDate(timeOfDay))
        problems << SettingProblem(
            "TimeOfDay", timeOfDay, QStringLiteral("not a time of day, ") + kNoReminders,
            QStringLiteral("Enter the time reminders occur at in the Chasewell settings dialog."));
    return problems;
}

void ShowDefaultReminderSettingProblems() {
    for (const QString& problem : DefaultReminderSettingProblems())
        platform::MessageBox().Show(problem, QStringLiteral("Chasewell"));
}

namespace {
std::shared_ptr<mailhelper::MAPIUtils> NewUtilities() {
    return platform::Objects().CreateObjectAs<mailhelper::MAPIUtils>(mailhelper::kMAPIUtilsProgId);
}
}  // namespace

QString GetFromSMTPAddress(mailhelper::SafeMailItem& item) {
    QString address;
    engine::Trapped(engine::ReportSource::Fixed("Chasewell.GetFromSMTPAddress"), 1, [&] {
        auto utilities = NewUtilities();
        auto entry = item.Sender();
        if (!entry)
            return;
        if (entry->Type() == QLatin1String("EX"))
            address = utilities->GetSMTPAddress(*entry);
        else
            address = utilities->GetSenderSMTPAddress(item);
    });
    return address;
}

QString GetRecipientSMTPAddress(mailhelper::SafeRecipient& recipient) {
    QString address;
    const bool done =
        engine::Trapped(engine::ReportSource::Fixed("Chasewell.GetRecipientSMTPAddress"), 1, [&] {
            auto entry = recipient.AddressEntry();
            if (!entry) {
                address = recipient.Address();
            } else if (entry->Type() == QLatin1String("EX")) {
                address = NewUtilities()->GetSMTPAddress(*entry);
            } else {
                address = recipient.Address();
                if (address.isEmpty())
                    address = entry->Address();
            }
        });
    return done ? address : QString();
}

void WriteTrace(const QString& procedure, const QString& message) {
    engine::WriteTrace(procedure, message);
}

}  // namespace Globals
