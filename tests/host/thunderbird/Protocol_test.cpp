// What the host accepts from the extension and says back: every message is
// checked against the protocol both sides read, and what is wrong is said in
// words that name the field.

#include <gtest/gtest.h>

#include <QJsonArray>

#include "host/thunderbird/Protocol.h"
#include "tests/host/thunderbird/FakeThunderbird.h"
#include "tests/support/QtPrinters.h"

namespace {

using host::thunderbird::Direction;
using host::thunderbird::Protocol;

const Protocol& Builtin() {
    return Protocol::Builtin();
}

QJsonObject NewMail(const QJsonObject& message) {
    QJsonObject newMail;
    newMail["kind"] = QStringLiteral("newMail");
    newMail["message"] = message;
    return newMail;
}

QJsonObject AMessage() {
    return tb_testing::MessageJson("m1@example.com",
                                   tb_testing::FolderJson("account1", "/INBOX", "Inbox", "inbox"),
                                   "RE: Budget", "Pat <pat@example.com>", {"me@example.org"});
}

TEST(ProtocolTest, TheBuiltInDefinitionNamesTheHostTheExtensionAndItsLimits) {
    EXPECT_EQ(Builtin().Version(), 1);
    EXPECT_EQ(Builtin().HostName(), "com.tandrelsoftware.chasewell");
    EXPECT_EQ(Builtin().ExtensionId(), "chasewell@tandrelsoftware.com");
    EXPECT_EQ(Builtin().Limit("toExtensionBytes"), 1024 * 1024);
    EXPECT_GT(Builtin().Limit("toHostBytes"), Builtin().Limit("toExtensionBytes"));
    EXPECT_TRUE(Builtin().ForwardedHeaders().contains("in-reply-to"));
    EXPECT_TRUE(Builtin().ForwardedHeaders().contains("auto-submitted"));
    EXPECT_TRUE(Builtin().IsRequest(Direction::ToHost, "itemSend"));
    EXPECT_FALSE(Builtin().IsRequest(Direction::ToHost, "newMail"));
    EXPECT_TRUE(Builtin().IsRequest(Direction::ToExtension, "findMessage"));
}

TEST(ProtocolTest, AMessageThatFitsPassesAndFieldsItDoesNotNameAreAllowed) {
    QJsonObject message = NewMail(AMessage());
    EXPECT_EQ(Builtin().Check(Direction::ToHost, message), "");
    message["addedByANewerExtension"] = true;
    EXPECT_EQ(Builtin().Check(Direction::ToHost, message), "");
    // Optional fields may be missing or null.
    QJsonObject folderSwitch{{"kind", "folderSwitch"}, {"folder", QJsonValue::Null}};
    EXPECT_EQ(Builtin().Check(Direction::ToHost, folderSwitch), "");
    folderSwitch.remove("folder");
    EXPECT_EQ(Builtin().Check(Direction::ToHost, folderSwitch), "");
}

TEST(ProtocolTest, WhatIsWrongIsSaidWithThePathOfTheField) {
    const auto check = [](const QJsonObject& message) {
        return Builtin().Check(Direction::ToHost, message);
    };
    EXPECT_EQ(check(QJsonObject{{"tabId", 3}}), "it has no \"kind\"");
    EXPECT_EQ(check(QJsonObject{{"kind", 3}}), "its \"kind\" is a number, not a text");
    EXPECT_EQ(check(QJsonObject{{"kind", "launchRockets"}}),
              "the kind \"launchRockets\" is unknown");
    // Kinds of the other direction are unknown here.
    EXPECT_EQ(check(QJsonObject{{"kind", "openMessage"}}), "the kind \"openMessage\" is unknown");
    EXPECT_EQ(check(QJsonObject{{"kind", "composeClose"}}), "the field \"tabId\" is missing");
    EXPECT_EQ(check(QJsonObject{{"kind", "composeClose"}, {"tabId", "7"}}),
              "the field \"tabId\" is a text, not a whole number");
    EXPECT_EQ(check(QJsonObject{{"kind", "composeClose"}, {"tabId", 7.5}}),
              "the field \"tabId\" is a number, not a whole number");

    QJsonObject message = AMessage();
    QJsonObject folder = message["folder"].toObject();
    folder.remove("path");
    message["folder"] = folder;
    EXPECT_EQ(check(NewMail(message)), "the field \"message.folder.path\" is missing");

    message = AMessage();
    message["to"] = QJsonArray{"a@example.com", 5};
    EXPECT_EQ(check(NewMail(message)), "the field \"message.to[1]\" is a number, not a text");

    message = AMessage();
    message["headers"] = QJsonObject{{"references", "<a@x>"}};
    EXPECT_EQ(check(NewMail(message)),
              "the field \"message.headers.references\" is a text, not a list");
    message["headers"] = QJsonObject{{"references", QJsonArray{"<a@x>"}}};
    EXPECT_EQ(check(NewMail(message)), "");
}

TEST(ProtocolTest, ARequestNeedsAWholeNumberIdAndAReplyItsResultFields) {
    QJsonObject itemSend{{"kind", "itemSend"},
                         {"tabId", 4},
                         {"details", tb_testing::ComposeDetailsJson({"a@example.com"}, "Hi")}};
    EXPECT_EQ(Builtin().Check(Direction::ToHost, itemSend), "the field \"id\" is missing");
    itemSend["id"] = 12;
    EXPECT_EQ(Builtin().Check(Direction::ToHost, itemSend), "");

    const QJsonObject found{{"kind", "reply"}, {"id", 1}, {"ok", true}};
    EXPECT_EQ(Builtin().CheckResult(Direction::ToExtension, "findMessage", found),
              "the field \"found\" is missing");
    EXPECT_EQ(Builtin().CheckResult(Direction::ToExtension, "openMessage", found), "");
}

}  // namespace
