#include "host/thunderbird/NativePort.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace host::thunderbird {

namespace {

constexpr qsizetype kHeaderBytes = 4;
constexpr qsizetype kReadChunk = 64 * 1024;

void MakeNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

quint32 LengthAt(const QByteArray& buffer) {
    std::uint32_t length = 0;
    std::memcpy(&length, buffer.constData(), sizeof length);
    return length;
}

}  // namespace

NativePort::NativePort(int readFd, int writeFd, qint64 incomingLimit, qint64 outgoingLimit)
    : m_readFd(readFd),
      m_writeFd(writeFd),
      m_incomingLimit(incomingLimit),
      m_outgoingLimit(outgoingLimit) {
    MakeNonBlocking(m_readFd);
    MakeNonBlocking(m_writeFd);
    m_readNotifier = std::make_unique<QSocketNotifier>(m_readFd, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, [this] { ReadAvailable(); });
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_writeFd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, [this] { WriteQueued(); });
}

NativePort::~NativePort() = default;

void NativePort::ReadAvailable() {
    if (m_endPending)
        return;
    for (;;) {
        char chunk[kReadChunk];
        const ssize_t got = ::read(m_readFd, chunk, sizeof chunk);
        if (got > 0) {
            const qint64 skipped = std::min<qint64>(m_skipping, got);
            m_skipping -= skipped;
            m_buffer.append(chunk + skipped, static_cast<qsizetype>(got - skipped));
            // An over-long message is dropped as it comes, never gathered.
            DropOverlongHead();
            continue;
        }
        if (got == 0) {
            End(QString());
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            End(QStringLiteral("the input could not be read: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
        break;
    }
    ProcessBuffer();
}

void NativePort::DropOverlongHead() {
    while (m_skipping == 0 && m_buffer.size() >= kHeaderBytes &&
           LengthAt(m_buffer) > m_incomingLimit) {
        const qint64 length = LengthAt(m_buffer);
        if (onProblem)
            onProblem(QStringLiteral("a message of %1 bytes is longer than the limit of %2 "
                                     "bytes; it was dropped unread")
                          .arg(length)
                          .arg(m_incomingLimit));
        const qint64 dropNow = std::min<qint64>(m_buffer.size() - kHeaderBytes, length);
        m_buffer.remove(0, static_cast<qsizetype>(kHeaderBytes + dropNow));
        m_skipping = length - dropNow;
    }
}

void NativePort::ProcessBuffer() {
    for (;;) {
        DropOverlongHead();
        if (m_skipping > 0 || m_buffer.size() < kHeaderBytes)
            break;
        const qint64 length = LengthAt(m_buffer);
        if (m_buffer.size() < kHeaderBytes + length)
            break;
        const QByteArray message = m_buffer.mid(kHeaderBytes, static_cast<qsizetype>(length));
        m_buffer.remove(0, static_cast<qsizetype>(kHeaderBytes + length));
        // A handler that runs a nested event loop must still get the
        // messages already read: the input will not say it is ready for
        // bytes that are in our buffer.
        if (m_buffer.size() >= kHeaderBytes || m_endPending)
            QMetaObject::invokeMethod(
                this, [this] { ProcessBuffer(); }, Qt::QueuedConnection);
        if (onMessage)
            onMessage(message);
    }
    if (m_endPending && !m_ended) {
        if (!m_buffer.isEmpty() || m_skipping > 0) {
            if (onProblem)
                onProblem(QStringLiteral("the input ended inside a message; its %1 bytes read "
                                         "so far were dropped")
                              .arg(m_buffer.size()));
            m_buffer.clear();
            m_skipping = 0;
        }
        m_ended = true;
        if (onEnd)
            onEnd(m_endWhy);
    }
}

void NativePort::End(const QString& why) {
    // Messages read before the end are still handed over first (see
    // ProcessBuffer), then onEnd.
    m_readNotifier->setEnabled(false);
    m_endPending = true;
    m_endWhy = why;
}

bool NativePort::Send(const QByteArray& message, QString& why) {
    if (message.size() > m_outgoingLimit) {
        why = QStringLiteral(
                  "the message of %1 bytes is longer than Thunderbird accepts (%2 "
                  "bytes)")
                  .arg(message.size())
                  .arg(m_outgoingLimit);
        return false;
    }
    if (m_outputBroken) {
        why = QStringLiteral("Thunderbird no longer reads from this program");
        return false;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(message.size());
    m_outgoing.append(reinterpret_cast<const char*>(&length), sizeof length);
    m_outgoing.append(message);
    WriteQueued();
    return true;
}

void NativePort::WriteQueued() {
    while (m_written < m_outgoing.size()) {
        const ssize_t put = ::write(m_writeFd, m_outgoing.constData() + m_written,
                                    static_cast<size_t>(m_outgoing.size() - m_written));
        if (put > 0) {
            m_written += put;
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writeNotifier->setEnabled(true);
            return;
        }
        // The reader is gone (EPIPE): nothing more can be said.
        m_outputBroken = true;
        m_outgoing.clear();
        m_written = 0;
        m_writeNotifier->setEnabled(false);
        return;
    }
    m_outgoing.clear();
    m_written = 0;
    m_writeNotifier->setEnabled(false);
}

bool NativePort::Flush(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (Pending() > 0 && !m_outputBroken) {
        pollfd out = {m_writeFd, POLLOUT, 0};
        const int left = static_cast<int>(deadline.remainingTime());
        if (left <= 0)
            break;
        if (::poll(&out, 1, left) < 0 && errno != EINTR)
            break;
        WriteQueued();
    }
    return Pending() == 0;
}

}  // namespace host::thunderbird
