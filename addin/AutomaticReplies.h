#pragma once

#include <QString>
#include <optional>

// Tells an automatic answer from a person's. An out-of-office notice, a
// vacation message or a delivery report carries the subject of the message
// it answers, often with the sender the reminder waits for; it is no answer,
// and the reminder must stay.
//
// Recognised, in this order:
//   - Auto-Submitted with any value but "no" (RFC 3834: auto-replied,
//     auto-generated, auto-notified);
//   - the markers the big mail systems' vacation and out-of-office replies
//     carry: X-Autoreply, X-Autorespond, X-Auto-Response-Suppress (all but
//     "None"), Precedence: auto_reply, an empty Return-Path (the null
//     sender automatic messages are sent from);
//   - delivery and read reports (Content-Type multipart/report);
//   - when the header says nothing of it, a subject that begins as the
//     common out-of-office replies begin ("Automatic reply:", "Out of
//     Office:", "Autoreply:", and their usual forms in other languages).
// Header names are compared without regard to letter case; folded lines
// are read as one.
//
// Returns what marks the message as automatic ("Auto-Submitted:
// auto-replied", "subject \"Out of Office: Budget\""), or no value for a
// message a person wrote.
std::optional<QString> AutomaticReplyMarker(const QString& headers, const QString& subject);
