#include "windows/alarm/SnoozeChoices.h"

#include <QComboBox>
#include <limits>

#include "platform/Env.h"
#include "platform/RuntimeError.h"
#include "schedule/Globals.h"

namespace SnoozeChoices {

using platform::LocaleDates;

const QStringList& Choices() {
    static const QStringList choices = {
        QStringLiteral("5 minutes"),  QStringLiteral("10 minutes"), QStringLiteral("15 minutes"),
        QStringLiteral("30 minutes"), QStringLiteral("1 hour"),     QStringLiteral("2 hours"),
        QStringLiteral("4 hours"),    QStringLiteral("8 hours"),    QStringLiteral("1 day"),
        QStringLiteral("2 days"),     QStringLiteral("4 days"),     QStringLiteral("1 week"),
        QStringLiteral("2 weeks"),    QStringLiteral("1 month"),
    };
    return choices;
}

void SetUpSnoozeBox(QComboBox& list) {
    list.setEditable(true);
    list.setCompleter(nullptr);
    list.setInsertPolicy(QComboBox::NoInsert);
    list.setMinimumContentsLength(12);
}

void FillSnoozeList(QComboBox& list) {
    const QString remembered = Globals::MRUSnoozeTime();
    list.clear();
    list.addItems(Choices());
    // Select the matching choice, if any, so the drop-down opens on it; the
    // text itself is shown whether or not it is one of the choices.
    list.setCurrentIndex(list.findText(remembered, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (list.isEditable())
        list.setEditText(remembered);
}

void RememberSnoozeTime(const QString& text) {
    Globals::setMRUSnoozeTime(text);
}

std::optional<LocaleDates::Interval> SnoozeUnit(const QString& unit) {
    static const struct {
        const char* word;
        LocaleDates::Interval interval;
    } kUnits[] = {
        {"minutes", LocaleDates::Interval::Minute}, {"minute", LocaleDates::Interval::Minute},
        {"hours", LocaleDates::Interval::Hour},     {"hour", LocaleDates::Interval::Hour},
        {"days", LocaleDates::Interval::Day},       {"day", LocaleDates::Interval::Day},
        {"weeks", LocaleDates::Interval::Week},     {"week", LocaleDates::Interval::Week},
        {"months", LocaleDates::Interval::Month},   {"month", LocaleDates::Interval::Month},
    };
    for (const auto& entry : kUnits)
        if (unit == QLatin1String(entry.word))
            return entry.interval;
    return std::nullopt;
}

qint32 SnoozeCount(const QString& count) {
    const auto number = platform::Dates().ReadNumber(count);
    if (!number)
        throw platform::RuntimeError::TypeMismatch();
    const double rounded = LocaleDates::RoundHalfEven(*number);
    // Written so that a NaN fails too.
    if (!(rounded >= double(std::numeric_limits<qint32>::min()) &&
          rounded <= double(std::numeric_limits<qint32>::max())))
        throw platform::RuntimeError::Overflow();
    return static_cast<qint32>(rounded);
}

std::optional<QDateTime> GetSnoozeDate(const QString& text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank <= 0)
        return std::nullopt;
    const auto interval = SnoozeUnit(text.mid(blank + 1).toLower());
    if (!interval)
        return std::nullopt;
    try {
        const qint32 count = SnoozeCount(text.left(blank));
        return LocaleDates::DateAdd(*interval, count, platform::Now());
    } catch (const platform::RuntimeError&) {
        // Not a number, too large, or a result outside the years 100 to
        // 9999, which the date arithmetic refuses.
        return std::nullopt;
    }
}

}  // namespace SnoozeChoices
