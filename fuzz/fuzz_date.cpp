// The lenient date reader: any text either is no date or reads as a date
// whose written forms read back as that same date.

#include <cstdlib>

#include "fuzz/FuzzEnv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& env = fuzzing::FuzzEnv::Get();
    static const platform::LocaleDates german{QLocale(QLocale::German, QLocale::Germany)};
    const QString text = fuzzing::Utf8(data, size);
    for (const platform::LocaleDates* dates :
         {static_cast<const platform::LocaleDates*>(&env.dates), &german}) {
        const auto value = dates->ReadDate(text);
        if (!value)
            continue;
        if (!value->isValid())
            std::abort();
        const auto general = dates->ReadDate(dates->GeneralForm(*value));
        if (!general || *general != value->addMSecs(-value->time().msec()))
            std::abort();
        const auto display = dates->ReadDate(dates->DisplayForm(*value));
        if (!display || display->date() != value->date() ||
            display->time().hour() != value->time().hour() ||
            display->time().minute() != value->time().minute())
            std::abort();
    }
    return 0;
}
