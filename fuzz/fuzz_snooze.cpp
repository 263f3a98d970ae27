// The snooze text: any text is either not understood or a count, one blank
// and a unit word, giving a date no earlier than now for a count of zero or
// more.

#include <cstdlib>

#include "fuzz/FuzzEnv.h"
#include "windows/alarm/SnoozeChoices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& env = fuzzing::FuzzEnv::Get();
    const QString text = fuzzing::Utf8(data, size);
    const auto date = SnoozeChoices::GetSnoozeDate(text);
    if (!date)
        return 0;
    const qsizetype blank = text.indexOf(u' ');
    if (blank <= 0 || text.indexOf(u' ', blank + 1) >= 0 || !date->isValid())
        std::abort();
    const auto count = env.dates.ReadNumber(text.left(blank));
    if (!count)
        std::abort();
    if (platform::LocaleDates::RoundHalfEven(*count) >= 0 && *date < env.clock.Now())
        std::abort();
    return 0;
}
