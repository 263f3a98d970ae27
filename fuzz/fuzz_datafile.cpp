// The data file loader: any bytes load without a crash, and what was loaded
// survives a save and a second load unchanged, record for record.

#include <QFile>
#include <cstdlib>

#include "fuzz/FuzzEnv.h"
#include "store/CReminderItems.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto& env = fuzzing::FuzzEnv::Get();
    {
        QFile file(env.DataFile());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    QStringList loaded;
    {
        CReminderItems first;
        first.Initialize();
        for (qint32 i = 1; i <= first.Count(); ++i) {
            loaded << first.Item(i)->SaveData();
            // Every record is written again, whatever was read.
            first.Item(i)->setIsDirty(true);
        }
        first.SaveData();
    }
    CReminderItems second;
    second.Initialize();
    QStringList reloaded;
    for (qint32 i = 1; i <= second.Count(); ++i) reloaded << second.Item(i)->SaveData();
    if (reloaded != loaded)
        std::abort();
    // Copies of files not read completely stay beside the data file; they
    // must not pile up over a run.
    QDir folder(env.folder.path());
    for (const QString& name : folder.entryList({"*.unread-*"}, QDir::Files)) folder.remove(name);
    return 0;
}
