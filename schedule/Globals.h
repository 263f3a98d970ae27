#pragma once

// Module-wide values and the shared rules of the add-in: the settings table,
// the default reminder date, the sender and recipient address rules, and the
// trace procedure.

#include <QDateTime>
#include <QString>
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

// The sender's SMTP address; empty when there is no sender entry or on an
// error (which is reported).
QString GetFromSMTPAddress(mailhelper::SafeMailItem& item);
// A recipient's SMTP address; empty on an error (which is reported).
QString GetRecipientSMTPAddress(mailhelper::SafeRecipient& recipient);

// One trace line through the engine's trace log; failures pass to the caller.
void WriteTrace(const QString& procedure, const QString& message);

}  // namespace Globals
