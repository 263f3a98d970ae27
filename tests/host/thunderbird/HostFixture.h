#pragma once

// The Thunderbird host with the real add-in, over a data folder of its own,
// talking to a fake Thunderbird over pipes in the test's own process.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>

#include "host/engine/HxGlobal.h"
#include "host/thunderbird/ExtensionLink.h"
#include "host/thunderbird/NativePort.h"
#include "host/thunderbird/ThunderbirdHost.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "tests/support/FakeEnv.h"
#include "tests/host/thunderbird/FakeThunderbird.h"

namespace tb_testing {

using host::thunderbird::ExtensionLink;
using host::thunderbird::NativePort;
using host::thunderbird::Protocol;
using host::thunderbird::ThunderbirdHost;

class HostTest : public ::testing::Test {
protected:
    HostTest() : HostTest(QCoreApplication::applicationDirPath() + "/libChasewell.so") {}
    explicit HostTest(const QString& modulePath)
        : host(link, Protocol::Builtin(),
               {folder.Path(), modulePath,
                QCoreApplication::applicationDirPath() + "/libChasewellProp.so"}) {
        env.clock.Set("2024-03-07T09:00:00");
        host.onFinished = [this] { finished = true; };
    }
    ~HostTest() override {
        host.Stop();
        Globals::m_ReminderItems.reset();
        Globals::m_Engine.reset();
        RemindTimer::AlarmTimerId = 0;
        RemindTimer::NextReminderTime.clear();
    }

    // Says hello as the extension does first; returns the host's reply.
    QJsonObject Hello(int protocol = 1) {
        QJsonObject hello;
        hello["protocol"] = protocol;
        hello["extension"] = QStringLiteral("3.0.184");
        QJsonObject account;
        account["id"] = QStringLiteral("account1");
        account["name"] = QStringLiteral("me@example.org");
        account["inbox"] = Inbox();
        account["sent"] = Sent();
        hello["accounts"] = QJsonArray{account};
        hello["folder"] = Inbox();
        return tb.ReplyTo(tb.Request("hello", hello)).value_or(QJsonObject());
    }
    static QJsonObject Inbox() { return FolderJson("account1", "/INBOX", "Inbox", "inbox"); }
    static QJsonObject Sent() { return FolderJson("account1", "/Sent", "Sent", "sent"); }

    void SetSetting(const QString& key, const QString& value) {
        env.settings.SaveSetting(host::kSettingsApplicationName, Globals::kSection, key, value);
    }
    QByteArray DataFile() const {
        QFile file(folder.File("ChasewellData.txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void WriteDataFile(const QByteArray& bytes) {
        QFile file(folder.File("ChasewellData.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void Event(const QString& kind, QJsonObject fields) {
        fields["kind"] = kind;
        tb.Send(fields);
        tb.PumpUntil([] { return false; });
    }
    // The host's own log lines.
    QStringList HostLines() {
        QStringList lines;
        for (const QString& line : host.Log().TraceMessages("ThunderbirdHost")) lines << line;
        return lines;
    }
    QStringList ErrorMessages() {
        QStringList messages;
        for (const auto& report : host.Log().Errors()) messages << report.message;
        return messages;
    }

    testing_support::TestEnv env;
    testing_support::TempFolder folder;
    FakeThunderbird tb;
    NativePort port{tb.HostInput(), tb.HostOutput(), Protocol::Builtin().Limit("toHostBytes"),
                    Protocol::Builtin().Limit("toExtensionBytes")};
    ExtensionLink link{port, Protocol::Builtin()};
    ThunderbirdHost host;
    bool finished = false;
};

}  // namespace tb_testing
