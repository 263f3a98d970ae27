#pragma once

// Module-wide values and the shared rules of the add-in: the settings table,
// the default reminder date, the sender and recipient address rules, and the
// trace procedure.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

#include "addin/contracts/HostEngine.h"
#include "addin/contracts/MailHelper.h"

class CReminderItems;

namespace Globals {

// The one reminder collection of the running mail client: created when the
// first explorer opens, released at shut-down.
extern std::shared_ptr<CReminderItems> m_ReminderItems;
// The engine object, kept from start-up to shut-down; empty means not started.
extern std::shared_ptr<engine::IEngine> m_Engine;

// Settings sections.
inline const QString kSection = QStringLiteral("Chasewell");
inline const QString kWordSection = QStringLiteral("TandrelSoftwareWord");

// The application name all settings live under, asked of the engine afresh
// on every access.
QString SettingsApplicationName();
QString GetSetting(const QString& section, const QString& key, const QString& defaultValue);
// Throws when the store cannot be written.
void SaveSetting(const QString& section, const QString& key, const QString& value);
// For settings whose loss costs the user little (a remembered choice, a
// request already used up): a store that cannot be written must not stop
// the operation around it. A failure is reported ("Error occurred.  Reason:
// " + the store's description, which names the file, flag 0, source the
// application name + ".SaveSetting") once for as long as the same failure
// lasts, and false is returned.
bool SaveSettingOrReport(const QString& section, const QString& key, const QString& value);

// The settings table, each read afresh and converted as the table says; a
// value that does not convert fails with "Type mismatch" or "Overflow".
qint16 Days();                                 // 16-bit whole number, default 7
bool UseNow();                                 // boolean, default False
QDateTime TimeOfDay();                         // a time in the locale, default 8:00 AM
double DisplayNext();                          // number, default 0
double IgnoreCCRecipients();                   // number, default 1
bool Remove();                                 // boolean, default False
qint32 DisplayIndividualReminders();           // whole number, default 0
QString MRUSnoozeTime();                       // text, default "5 minutes"
void setMRUSnoozeTime(const QString& text);    // SaveSettingOrReport
qint32 DisplayExLeft();                        // whole number, default -1
qint32 DisplayExTop();                         // whole number, default -1
bool ChasewellFromWordWanted();                // the hand-over flag, default False
void setChasewellFromWordWanted(bool wanted);  // SaveSettingOrReport

// Days from today at TimeOfDay (or at the current time when UseNow). Traps
// nothing.
QDateTime DefaultReminderDate();

// What is wrong with the settings DefaultReminderDate reads, in one plain
// message per value it cannot use as it stands: Days that is not a whole
// number, lies beyond what a reminder can be put off by, or is negative (a
// reminder then falls due the moment it is made); UseNow that is neither
// True nor False nor a number; TimeOfDay, when it is used, that is not a
// time. Each names the setting, its value, the file it is kept in and what
// to do. Empty when every value is usable.
QStringList DefaultReminderSettingProblems();
// Shows each of those messages (an OK button, the title "Chasewell"). The
// operations that make reminders call it before they read the settings, so
// that a user whose reminders fail, or fall due at once, learns which value
// to correct, and where.
void ShowDefaultReminderSettingProblems();

// The sender's SMTP address; empty when there is no sender entry or on an
// error (which is reported).
QString GetFromSMTPAddress(mailhelper::SafeMailItem& item);
// A recipient's SMTP address; empty on an error (which is reported).
QString GetRecipientSMTPAddress(mailhelper::SafeRecipient& recipient);

// One trace line through the engine's trace log; failures pass to the caller.
void WriteTrace(const QString& procedure, const QString& message);

}  // namespace Globals
