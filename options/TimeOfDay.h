#pragma once

#include <QString>
#include <optional>

namespace options {

// What the time box falls back to when its text cannot be read as a time.
inline const QString kDefaultTimeOfDay = QStringLiteral("8:00 AM");

// The time-of-day text as it should be kept: the text itself when the
// user's locale reads it as a date or a time; otherwise, trimmed, with a
// colon put after its first two characters ("0930" gives "09:30", "1045 PM"
// gives "10:45 PM") when that reads; no value when neither does, or when the
// trimmed text is shorter than two characters and so has no hour to split
// off.
std::optional<QString> RepairedTimeOfDay(const QString& text);

}  // namespace options
