#pragma once

// The snooze choices both alarm windows offer in their editable drop-down
// list, the last snooze text the user chose, and the rule that turns a
// snooze text into a reminder's new date.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

#include "platform/LocaleDates.h"

class QComboBox;

namespace SnoozeChoices {

// Shown (OK button, title "Chasewell") when GetSnoozeDate did not understand
// the text.
inline const QString kNotUnderstoodMessage =
    QStringLiteral("The snooze time is not understood.  Please try again.");
inline const QString kMessageTitle = QStringLiteral("Chasewell");

// The fourteen offered choices, in list order ("5 minutes" ... "1 month").
const QStringList& Choices();

// Makes list the editable drop-down both alarm windows offer: the user picks
// a choice or types any text, and the text is exactly what was typed. Qt's
// inline completion is off, since it would turn "1" into "10 minutes" and
// "1 HOUR" into "1 hour" before the text is traced and remembered; a typed
// text never becomes a new choice.
void SetUpSnoozeBox(QComboBox& list);

// Clears the list, adds the choices, and sets the list's text to the
// remembered snooze text (MRUSnoozeTime, default "5 minutes"), also when it
// is none of the choices. Failures (reading the setting) pass to the caller.
void FillSnoozeList(QComboBox& list);

// Remembers the text, unchanged, as the last snooze text. A settings store
// that cannot be written is reported (once while it lasts) and the snooze
// goes on.
void RememberSnoozeTime(const QString& text);

// Now plus the interval the text names, or no value when the text is not
// understood. The text must be exactly a count, one blank and a unit word:
//   - the count is everything before the first blank (which must not be the
//     first character), read as a number in the user's locale and rounded
//     to a whole number, halves to the even neighbour; it must fit a 32-bit
//     signed whole number; zero and negative counts are accepted;
//   - the unit is everything after that blank, lower-cased, and must be one
//     of minute(s), hour(s), day(s), week(s), month(s) exactly, so a second
//     blank, a trailing blank or another word is not understood.
// Days, weeks and months keep the time of day; a month step landing on a day
// the target month lacks gives that month's last day. A result outside the
// years 100 to 9999 is not understood. The base is always the current time,
// never the reminder's previous date.
std::optional<QDateTime> GetSnoozeDate(const QString& text);

// The two halves of a snooze text, for a caller that splits it once and
// applies it to several reminders (the grouped alarm window):
//
// The interval a unit word names (already lower-cased); no value for any
// other text.
std::optional<platform::LocaleDates::Interval> SnoozeUnit(const QString& unit);
// The count a count part names, read in the user's locale and rounded to a
// whole number, halves to the even neighbour. A text that is not a number
// (an empty one too) throws platform::RuntimeError "Type mismatch", one that
// does not fit a 32-bit signed whole number "Overflow".
qint32 SnoozeCount(const QString& count);

}  // namespace SnoozeChoices
