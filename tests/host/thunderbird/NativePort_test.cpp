// The framing of native messaging over a pipe: whole messages in order
// however the bytes come, messages over the limit dropped without being
// gathered, the end of input after what came before it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdint>

#include "host/thunderbird/NativePort.h"
#include "tests/host/thunderbird/FakeThunderbird.h"
#include "tests/support/QtPrinters.h"

namespace {

using host::thunderbird::NativePort;
using tb_testing::FakeThunderbird;

QByteArray Frame(const QByteArray& body, std::uint32_t length) {
    return QByteArray(reinterpret_cast<const char*>(&length), sizeof length) + body;
}
QByteArray Frame(const QByteArray& body) {
    return Frame(body, static_cast<std::uint32_t>(body.size()));
}

class NativePortTest : public ::testing::Test {
protected:
    explicit NativePortTest(qint64 incomingLimit = 1024)
        : port(tb.HostInput(), tb.HostOutput(), incomingLimit, 64) {
        port.onMessage = [this](const QByteArray& message) { messages << message; };
        port.onProblem = [this](const QString& why) { problems << why; };
        port.onEnd = [this](const QString& why) {
            ended = true;
            endWhy = why;
        };
    }
    void Pump() {
        tb.PumpUntil([] { return false; });
    }

    FakeThunderbird tb;
    NativePort port;
    QList<QByteArray> messages;
    QStringList problems;
    bool ended = false;
    QString endWhy;
};

TEST_F(NativePortTest, MessagesComeWholeAndInOrderHoweverTheBytesAreCut) {
    const QByteArray bytes = Frame("{\"a\":1}") + Frame("{\"b\":2}") + Frame("");
    // One byte at a time, with the loop running in between.
    for (char byte : bytes) {
        tb.SendBytes(QByteArray(1, byte));
        Pump();
    }
    EXPECT_EQ(messages, (QList<QByteArray>{"{\"a\":1}", "{\"b\":2}", ""}));
    // All at once.
    messages.clear();
    tb.SendBytes(bytes);
    Pump();
    EXPECT_EQ(messages.size(), 3);
    EXPECT_TRUE(problems.isEmpty());
}

TEST_F(NativePortTest, AMessageOverTheLimitIsDroppedAndTheNextOneStillArrives) {
    const QByteArray huge(5000, 'x');
    tb.SendBytes(Frame(huge) + Frame("{\"after\":true}"));
    Pump();
    EXPECT_EQ(problems, QStringList{"a message of 5000 bytes is longer than the limit of 1024 "
                                    "bytes; it was dropped unread"});
    EXPECT_EQ(messages, QList<QByteArray>{"{\"after\":true}"});
    EXPECT_FALSE(ended);
}

TEST_F(NativePortTest, ALengthOfFourGigabytesIsNeverGathered) {
    // Thunderbird may announce up to 4 GB; the bytes that follow are dropped
    // as they come, however many there are.
    tb.SendBytes(Frame(QByteArray(300000, 'y'), 0xFFFFFFFFu));
    Pump();
    EXPECT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.front().startsWith("a message of 4294967295 bytes is longer than"));
    EXPECT_TRUE(messages.isEmpty());
    tb.Close();
    Pump();
    EXPECT_TRUE(ended);
}

TEST_F(NativePortTest, TheEndComesAfterTheMessagesBeforeItAndAHalfMessageIsSaid) {
    tb.SendBytes(Frame("{}") + Frame("{\"cut\"", 40));
    tb.Close();
    Pump();
    EXPECT_EQ(messages, QList<QByteArray>{"{}"});
    EXPECT_EQ(problems, QStringList{"the input ended inside a message; its 10 bytes read so far "
                                    "were dropped"});
    EXPECT_TRUE(ended);
    EXPECT_EQ(endWhy, "");
}

TEST_F(NativePortTest, AHandlerWaitingInANestedLoopStillGetsTheMessagesReadWithItsOwn) {
    bool secondSeenInside = false;
    port.onMessage = [&](const QByteArray& message) {
        messages << message;
        if (message == "1") {
            // As a host waiting for a reply does: the reply was read in the
            // same chunk as this message.
            QEventLoop loop;
            for (int i = 0; i < 20 && messages.size() < 2; ++i) loop.processEvents();
            secondSeenInside = messages.size() == 2;
        }
    };
    tb.SendBytes(Frame("1") + Frame("2"));
    Pump();
    EXPECT_TRUE(secondSeenInside);
    EXPECT_EQ(messages, (QList<QByteArray>{"1", "2"}));
}

TEST_F(NativePortTest, OutgoingMessagesAreFramedAndOneOverTheLimitIsRefused) {
    QString why;
    EXPECT_TRUE(port.Send("{\"ok\":true}", why));
    EXPECT_FALSE(port.Send(QByteArray(65, 'z'), why));
    EXPECT_EQ(why, "the message of 65 bytes is longer than Thunderbird accepts (64 bytes)");
    EXPECT_TRUE(port.Flush(0));
    tb.PumpUntil([&] { return tb.Received().size() == 1; });
    ASSERT_EQ(tb.Received().size(), 1u);
    EXPECT_EQ(tb.Received().front().value("ok").toBool(), true);
    EXPECT_EQ(tb.Unreadable(), 0);
}

}  // namespace
