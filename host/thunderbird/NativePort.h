#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace host::thunderbird {

// Thunderbird's native-messaging framing over two file descriptors (standard
// input and output in the host; a pipe in tests): each message is a 32-bit
// length in the machine's byte order followed by that many bytes of UTF-8
// JSON, both ways.
//
// Reading never blocks the UI thread: the input is non-blocking and read as
// the event loop says it is ready. Whole messages are handed to onMessage one
// at a time, in order. A handler may run a nested event loop (a modal window,
// a wait for a reply); messages that arrive meanwhile are handed over inside
// it, so that the wait can see its reply.
//
// A message longer than the incoming limit is never held in memory: its
// bytes are read and dropped as they come, and onProblem says so once. The
// end of input (Thunderbird closed the port) or a read error calls onEnd
// once; nothing is read after it.
//
// Writing queues whole messages and writes them as the output takes them; a
// message over the outgoing limit (Thunderbird refuses larger ones) is
// refused. Flush waits, up to a bound, for the queue to be written.
class NativePort : public QObject {
public:
    NativePort(int readFd, int writeFd, qint64 incomingLimit, qint64 outgoingLimit);
    ~NativePort() override;
    NativePort(const NativePort&) = delete;
    NativePort& operator=(const NativePort&) = delete;

    std::function<void(const QByteArray& message)> onMessage;
    // A message was dropped: why, in words.
    std::function<void(const QString& why)> onProblem;
    // The input ended; why is empty for a plain end of input.
    std::function<void(const QString& why)> onEnd;

    // Queues a message; false, with why, when it cannot be sent (over the
    // outgoing limit, or the output is closed).
    bool Send(const QByteArray& message, QString& why);
    // Writes what is queued, waiting at most timeoutMs for the output to
    // take it; false when something was left.
    bool Flush(int timeoutMs);
    bool Ended() const { return m_ended; }
    // Bytes queued and not yet written.
    qint64 Pending() const { return m_outgoing.size() - m_written; }

private:
    void ReadAvailable();
    // Hands over the whole messages in the buffer, one at a time.
    void ProcessBuffer();
    // Drops a message at the head of the buffer that is over the limit.
    void DropOverlongHead();
    void End(const QString& why);
    void WriteQueued();

    int m_readFd;
    int m_writeFd;
    qint64 m_incomingLimit;
    qint64 m_outgoingLimit;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QByteArray m_buffer;
    // Bytes of an over-long message still to be dropped.
    qint64 m_skipping = 0;
    bool m_ended = false;
    bool m_endPending = false;
    QString m_endWhy;
    QByteArray m_outgoing;
    qint64 m_written = 0;
    bool m_outputBroken = false;
};

}  // namespace host::thunderbird
