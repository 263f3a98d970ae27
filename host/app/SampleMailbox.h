#pragma once

#include <memory>

#include "host/mail/MailModel.h"

namespace host::app {

// Fills a new mailbox with a few received and sent messages, so the program
// is useful at once: one sent message has To, CC and BCC recipients, one goes
// to an Exchange-style address that the directory resolves, and the Inbox
// holds a reply to one of the sent messages.
void SeedSampleMailbox(MailModel& model);

// The directory entry behind the sample's "EX" address. The directory is the
// mail client's, not the mailbox's: it is filled on every start.
void SeedSampleDirectory(MailModel& model);

}  // namespace host::app
