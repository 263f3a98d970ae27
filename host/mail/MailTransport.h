#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace host {

class HostMailItem;

// Where a sent message leaves the mailbox for its recipients: a sendmail
// command in the program (SendmailTransport), a fake in tests. The model
// hands over the copy it will file in Sent Items once delivery succeeded
// (see MailModel::Send).
class MailTransport {
public:
    virtual ~MailTransport() = default;

    // failure is empty when the message was delivered; otherwise it says
    // what went wrong, in words for the user.
    using Done = std::function<void(const QString& failure)>;

    // Delivers message (its send time, sender and Message-ID are set) to
    // its To, CC and BCC recipients. done is called exactly once: at once,
    // or later from the event loop.
    virtual void Deliver(const std::shared_ptr<const HostMailItem>& message, Done done) = 0;
    // Deliveries handed over whose done has not been called yet.
    virtual int Running() const = 0;
};

}  // namespace host
