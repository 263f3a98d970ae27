#include "options/TimeOfDay.h"

#include "platform/Env.h"

namespace options {

std::optional<QString> RepairedTimeOfDay(const QString& text) {
    if (platform::Dates().IsDate(text))
        return text;
    const QString trimmed = text.trimmed();
    if (trimmed.size() < 2)
        return std::nullopt;
    const QString withColon = trimmed.left(2) + u':' + trimmed.mid(2);
    if (platform::Dates().IsDate(withColon))
        return withColon;
    return std::nullopt;
}

}  // namespace options
