#pragma once

// The fake platform with the substitute engine's global object registered,
// a data folder of its own, the add-in's collection initialised there, and
// the independent iCalendar reader (read_ics.py) at hand.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <memory>

#include "host/engine/EngineLog.h"
#include "host/engine/HxGlobal.h"
#include "host/engine/Registration.h"
#include "store/CReminderItems.h"
#include "tests/support/FakeEnv.h"

namespace export_tests {

class ExportFixture : public ::testing::Test {
protected:
    ExportFixture() {
        host::RegisterEngineClasses(env.objects, global, log);
        env.clock.Set("2024-03-04 09:15:00");
        reminders.Initialize();
    }

    std::shared_ptr<CReminderItem> Add(const QString& address, const QString& subject,
                                       const QString& entryId, const QString& due,
                                       const QString& note = QString()) {
        auto item = std::make_shared<CReminderItem>();
        item->setEmailAddress(address);
        item->setSubject(subject);
        item->setEntryId(entryId);
        item->setSentDate("3/4/2024 9:15:00 AM");
        item->setReminderDate(due);
        item->setNote(note);
        reminders.Add(item);
        return item;
    }

    QByteArray FileBytes(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // What the independent reader found in the file; fails the test when it
    // could not read it.
    QJsonObject ReadBack(const QString& path) const {
        QProcess reader;
        reader.start(QStringLiteral(CHASEWELL_TEST_PYTHON),
                     {QStringLiteral(CHASEWELL_READ_ICS), path});
        EXPECT_TRUE(reader.waitForFinished(60000));
        EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
        const QJsonObject found = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
        EXPECT_EQ(found["problems"].toArray(), QJsonArray()) << path.toStdString();
        return found;
    }
    QJsonArray EventsIn(const QString& path) const { return ReadBack(path)["events"].toArray(); }

    // A UTC time as the reader writes it, for the fake clock's local time.
    static QString Utc(const QString& localIso) {
        const QDateTime local = QDateTime::fromString(localIso, Qt::ISODate);
        return QDateTime(local.date(), local.time(), Qt::LocalTime)
                   .toUTC()
                   .toString("yyyy-MM-ddTHH:mm:ss") +
               "+00:00";
    }

    testing_support::TestEnv env;
    testing_support::TempFolder folder;
    host::EngineLog log;
    std::shared_ptr<host::HxGlobal> global = std::make_shared<host::HxGlobal>(log, folder.Path());
    CReminderItems reminders;
};

}  // namespace export_tests
