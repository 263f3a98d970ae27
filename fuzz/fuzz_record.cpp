// One record of the data file: any text parses without a crash, and what
// the item took from it is written and read back the same. The same bytes
// read as Latin-1, the way the data file's ASCII lines are read, give what
// they give widened first.

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

    const QLatin1StringView bytes(reinterpret_cast<const char*>(data),
                                  static_cast<qsizetype>(size));
    CReminderItem latin1;
    CReminderItem widened;
    latin1.setIsDirty(true);
    widened.setIsDirty(true);
    if (latin1.LoadData(bytes) != widened.LoadData(QString(bytes)))
        std::abort();
    if (latin1.SaveData() != widened.SaveData() || latin1.IsDirty() != widened.IsDirty())
        std::abort();
    return 0;
}
