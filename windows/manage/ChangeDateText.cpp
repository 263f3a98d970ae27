#include "windows/manage/ChangeDateText.h"

#include "platform/Env.h"

namespace manage {

namespace {

// Whether a Qt time format has an AM/PM field (outside quoted literals).
bool HasDesignatorField(const QString& format) {
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && (c == u'a' || c == u'A'))
            return true;
    }
    return false;
}

}  // namespace

bool LocaleUsesDesignators() {
    const QLocale& locale = platform::Dates().locale();
    return !locale.amText().trimmed().isEmpty() && !locale.pmText().trimmed().isEmpty() &&
           HasDesignatorField(locale.timeFormat(QLocale::LongFormat));
}

QString ChangeDateText(const QDateTime& value) {
    platform::LocaleDates& dates = platform::Dates();
    if (LocaleUsesDesignators())
        return dates.DisplayForm(value);
    const QTime time = value.time();
    return dates.ShortDate(value.date()) + u' ' +
           QStringLiteral("%1:%2")
               .arg(time.hour(), 2, 10, QChar(u'0'))
               .arg(time.minute(), 2, 10, QChar(u'0'));
}

QString TimePickerFormat() {
    return LocaleUsesDesignators() ? QStringLiteral("hh:mm AP") : QStringLiteral("HH:mm");
}

}  // namespace manage
