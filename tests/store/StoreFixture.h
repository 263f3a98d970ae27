#pragma once

// The fake platform with the substitute engine's global object and trace log
// registered, and a data folder of its own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <functional>
#include <memory>

#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "host/engine/Registration.h"
#include "tests/support/FakeEnv.h"

namespace store_tests {

class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() { host::RegisterEngineClasses(env.objects, global, log); }

    QString DataFile() const { return folder.File("ChasewellData.txt"); }
    QByteArray FileBytes(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void WriteDataFile(const QByteArray& bytes) const {
        QFile file(DataFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::vector<host::ErrorReportRecord> Errors() const { return log.Errors(); }

    testing_support::TestEnv env;
    testing_support::TempFolder folder;
    host::EngineLog log;
    std::shared_ptr<host::HxGlobal> global = std::make_shared<host::HxGlobal>(log, folder.Path());
};

inline host::ErrorReportRecord Report(const QString& message, qint32 flag, const QString& source) {
    return host::ErrorReportRecord{message, flag, source};
}

}  // namespace store_tests

namespace host {
inline void PrintTo(const ErrorReportRecord& r, std::ostream* out) {
    *out << "{" << r.message.toStdString() << " | flag " << r.flag << " | "
         << r.source.toStdString() << "}";
}
inline void PrintTo(const TraceLine& t, std::ostream* out) {
    *out << "{" << t.procedure.toStdString() << ": " << t.message.toStdString() << "}";
}
}  // namespace host
