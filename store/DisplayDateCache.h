#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace platform {
class LocaleDates;
}

namespace store {

// The display form of a held date text and the date that form reads as,
// worked out once per text and locale. The alarm timer reads every
// reminder's due date each time it looks for the next or the overdue
// reminders; parsing and formatting them anew each time made those passes
// slow with many reminders.
class DisplayDateCache {
public:
    // The display form: empty for an empty text; a text the locale does not
    // read as a date throws platform::RuntimeError "Type mismatch".
    QString Display(const QString& text) const;
    // The date the display form reads as (seconds dropped); no value for an
    // empty text or a form that does not read back. Throws like Display.
    std::optional<QDateTime> Value(const QString& text) const;

private:
    void Refresh(const QString& text) const;

    mutable const platform::LocaleDates* m_dates = nullptr;
    mutable QString m_source;
    mutable QString m_display;
    mutable std::optional<QDateTime> m_value;
    mutable bool m_isDate = false;
};

}  // namespace store
