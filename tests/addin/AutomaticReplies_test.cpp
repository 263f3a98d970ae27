// Automatic answers keep the reminder: samples of the kinds real mail
// systems send, and genuine replies that must still end it.

#include <gtest/gtest.h>

#include "addin/AutomaticReplies.h"
#include "tests/addin/AddinFixture.h"

namespace {

using testing_support::AddinFixture;

// A vacation reply as a sieve or vacation(1) responder sends it (RFC 3834).
const char kVacation[] =
    "Return-Path: <>\r\n"
    "Received: from mx.example.com by mail.example.org; Tue, 5 Mar 2024 09:01:12 +0100\r\n"
    "Auto-Submitted: auto-replied (vacation)\r\n"
    "From: Pat Jones <pat.jones@example.com>\r\n"
    "To: user@example.com\r\n"
    "Subject: Away until Monday (was: Contract renewal)\r\n"
    "Precedence: bulk\r\n"
    "Message-ID: <vacation-1@example.com>\r\n"
    "\r\n";
// An out-of-office notice of a large corporate server, older form: no
// Auto-Submitted, but the suppress marker and the usual subject.
const char kOutOfOffice[] =
    "From: Pat Jones <pat.jones@example.com>\r\n"
    "To: User <user@example.com>\r\n"
    "Subject: Automatic reply: Contract renewal\r\n"
    "Thread-Topic: Contract renewal\r\n"
    "Thread-Index: AQHZ1xW3k2pUuJfHZUm5wJ4t8g2x1Q==\r\n"
    "Date: Tue, 5 Mar 2024 08:01:02 +0000\r\n"
    "X-MS-Has-Attach:\r\n"
    "X-Auto-Response-Suppress: All\r\n"
    "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
    "\r\n";
// The same server's newer form, folded.
const char kOutOfOfficeNewer[] =
    "Subject: =?utf-8?Q?Automatic_reply:_Contract_renewal?=\r\n"
    "Auto-Submitted:\r\n"
    " auto-generated\r\n"
    "X-MS-Exchange-Inbox-Rules-Loop: pat.jones@example.com\r\n"
    "\r\n";
// A web mail vacation responder.
const char kWebVacation[] =
    "X-Autoreply: yes\r\n"
    "From: pat.jones@example.com\r\n"
    "Subject: Re: Contract renewal\r\n"
    "\r\n";
// An old-style vacation program.
const char kPrecedence[] =
    "Precedence: auto_reply\r\n"
    "Subject: Re: Contract renewal\r\n"
    "\r\n";
// A delivery report.
const char kBounce[] =
    "From: MAILER-DAEMON@example.com (Mail Delivery System)\r\n"
    "Subject: Undelivered Mail Returned to Sender\r\n"
    "Content-Type: multipart/report; report-type=delivery-status;\r\n"
    "\tboundary=\"B1\"\r\n"
    "\r\n";
// A person's reply, with the headers a client writes.
const char kGenuine[] =
    "From: Pat Jones <pat.jones@example.com>\r\n"
    "To: user@example.com\r\n"
    "Subject: RE: Contract renewal\r\n"
    "In-Reply-To: <contract-1@example.com>\r\n"
    "Auto-Submitted: no\r\n"
    "X-Auto-Response-Suppress: None\r\n"
    "Precedence: list\r\n"
    "\r\n";

TEST(AutomaticReplyMarkerTest, TellsAutomaticAnswersFromAPersonsReply) {
    EXPECT_EQ(AutomaticReplyMarker(kVacation, "Away until Monday (was: Contract renewal)"),
              "Auto-Submitted: auto-replied (vacation)");
    EXPECT_EQ(AutomaticReplyMarker(kOutOfOffice, "Automatic reply: Contract renewal"),
              "X-Auto-Response-Suppress: All");
    EXPECT_EQ(AutomaticReplyMarker(kOutOfOfficeNewer, "Automatic reply: Contract renewal"),
              "Auto-Submitted: auto-generated");
    EXPECT_EQ(AutomaticReplyMarker(kWebVacation, "Re: Contract renewal"), "X-Autoreply: yes");
    EXPECT_EQ(AutomaticReplyMarker(kPrecedence, "Re: Contract renewal"), "Precedence: auto_reply");
    EXPECT_EQ(AutomaticReplyMarker(kBounce, "Undelivered Mail Returned to Sender"),
              "Content-Type: multipart/report; report-type=delivery-status; boundary=\"B1\"");
    // Without any header (a message made here), the subject tells.
    EXPECT_EQ(AutomaticReplyMarker("", "Out of Office: Contract renewal"),
              "subject \"Out of Office: Contract renewal\"");
    EXPECT_EQ(AutomaticReplyMarker("", "Abwesenheitsnotiz: Vertrag"),
              "subject \"Abwesenheitsnotiz: Vertrag\"");
    // French typography's no-break space before the colon.
    EXPECT_EQ(AutomaticReplyMarker("", "Réponse automatique\u00A0: Contrat"),
              "subject \"Réponse automatique\u00A0: Contrat\"");
    EXPECT_EQ(AutomaticReplyMarker("", "Automatiskt svar: Avtal"),
              "subject \"Automatiskt svar: Avtal\"");

    EXPECT_EQ(AutomaticReplyMarker(kGenuine, "RE: Contract renewal"), std::nullopt);
    EXPECT_EQ(AutomaticReplyMarker("", "RE: Automatic reply: Contract renewal"), std::nullopt)
        << "a person answering an automatic reply";
    // Header names in any letter case; nothing read past the header's end.
    EXPECT_EQ(AutomaticReplyMarker("auto-submitted: AUTO-REPLIED\r\n", "x"),
              "auto-submitted: AUTO-REPLIED");
    EXPECT_EQ(AutomaticReplyMarker("Subject: x\r\n\r\nAuto-Submitted: auto-replied\r\n", "x"),
              std::nullopt);
}

class AutomaticReplyWatchingTest : public AddinFixture {
protected:
    AutomaticReplyWatchingTest() {
        Start();
        model->OpenExplorer(Inbox());
        SetSetting("Remove", "True");
        auto reminder = std::make_shared<CReminderItem>();
        reminder->setEmailAddress("pat.jones@example.com");
        reminder->setSubject("Contract renewal");
        reminder->setReminderDate("3/14/2024 8:00:00 AM");
        Reminders().Add(reminder);
        log.Clear();
    }
    void Receive(const char* headers, const QString& subject) {
        auto reply = Reply("pat.jones@example.com", subject);
        reply->setTransportMessageHeaders(headers);
        model->Deliver(Inbox(), reply);
    }
};

TEST_F(AutomaticReplyWatchingTest, AnOutOfOfficeNoticeKeepsTheReminderAndTheTraceSaysWhy) {
    Receive(kOutOfOffice, "Automatic reply: Contract renewal");
    EXPECT_EQ(Reminders().Count(), 1);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox"),
              (std::vector<QString>{
                  "Email (Type: MailItem) received with subject: Automatic reply: Contract renewal",
                  "Looking for email address 'pat.jones@example.com'",
                  "with subject 'Automatic reply: Contract renewal'", "m_ReminderItems - Count = 1",
                  "Automatic reply, not an answer (X-Auto-Response-Suppress: All): no reminder is "
                  "removed"}));
    Receive(kVacation, "Re: Contract renewal");
    Receive(kWebVacation, "Re: Contract renewal");
    EXPECT_EQ(Reminders().Count(), 1);

    // Pat's own answer ends it.
    Receive(kGenuine, "RE: Contract renewal");
    EXPECT_EQ(Reminders().Count(), 0);
    EXPECT_EQ(log.TraceMessages("ItemAddedToInbox").back(),
              "Found email: reminder removed by the subject rule (subject 'Contract renewal')");
}

}  // namespace
