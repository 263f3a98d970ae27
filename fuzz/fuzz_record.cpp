// One record of the data file: any text parses without a crash, and what
// the item took from it is written and read back the same.

#include <cstdlib>

#include "fuzz/FuzzEnv.h"
#include "store/CReminderItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::FuzzEnv::Get();
    const QString text = fuzzing::Utf8(data, size);
    CReminderItem item;
    item.LoadData(text);
    const QString record = item.SaveData();
    CReminderItem again;
    if (!again.LoadData(record))
        std::abort();
    if (again.SaveData() != record || again.IsDirty())
        std::abort();
    return 0;
}
