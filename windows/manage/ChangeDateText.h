#pragma once

#include <QDateTime>
#include <QString>

namespace manage {

// The text a re-dated reminder gets: the locale's short date, a blank and the
// time to the minute. Where the locale writes the time of day with AM and PM
// designators, the time is "hh:nn AMPM" (two-digit hour of the 12-hour
// clock: 3/20/2024 02:30 PM), the form a reminder's date reads in. A locale
// whose time has no designator (German: 20.03.2024 14:30) gets the 24-hour
// hour instead: a 12-hour hour without a designator would read back as a
// morning time.
QString ChangeDateText(const QDateTime& value);

// Whether the user's locale writes times of day with AM and PM designators.
bool LocaleUsesDesignators();

// The format the time picker shows, in the same clock.
QString TimePickerFormat();

}  // namespace manage
