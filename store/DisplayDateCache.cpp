#include "store/DisplayDateCache.h"

#include "platform/Env.h"
#include "store/TextRules.h"

namespace store {

void DisplayDateCache::Refresh(const QString& text) const {
    const platform::LocaleDates& dates = platform::Dates();
    if (m_dates == &dates && m_source == text && m_source.isNull() == text.isNull())
        return;
    m_dates = &dates;
    m_source = text;
    m_display.clear();
    m_value.reset();
    m_isDate = true;
    if (text.isEmpty())
        return;
    const auto parsed = dates.ReadDate(text);
    if (!parsed) {
        m_isDate = false;
        return;
    }
    m_display = TrimSpaces(dates.DisplayForm(*parsed)).toString();
    m_value = dates.ReadDate(m_display);
}

QString DisplayDateCache::Display(const QString& text) const {
    Refresh(text);
    if (!m_isDate)
        throw platform::RuntimeError::TypeMismatch();
    return m_display;
}

std::optional<QDateTime> DisplayDateCache::Value(const QString& text) const {
    Refresh(text);
    if (!m_isDate)
        throw platform::RuntimeError::TypeMismatch();
    return m_value;
}

}  // namespace store
