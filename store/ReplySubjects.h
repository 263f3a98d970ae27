#pragma once

#include <QStringView>

namespace store {

// What a subject is about once the prefixes that mail programs put in front
// of a reply or a forward are taken off: "AW: WG: Budget", "Re[2]: Budget",
// "[team] Re: Fwd: Budget" and "RE : Budget" are all about "Budget".
struct ReplySubject {
    // The rest of the subject, without the blanks around it; a view into the
    // text given, so it lives as long as that text. The whole subject,
    // untouched, when it has no prefix.
    QStringView topic;
    // How many reply and forward prefixes were taken off; 0 for a subject
    // that is not a reply or a forward.
    int prefixes = 0;
};

// Takes off every reply and forward prefix at the front of subject, in the
// forms of the table in ReplySubjects.cpp, whatever their letter case, each
// with an optional counter ("Re[2]:", "Re(2):", "Re^2:"), blanks before its
// colon ("RE :", as French typography writes it), and an ASCII or a
// full-width colon. A mailing list's tag in square brackets ("[team]") goes
// with them when it stands among or right after them; a tag with no prefix
// anywhere near ("[team] Budget", a list's copy of a message) is part of
// the subject, since a tag alone does not make a message a reply.
//
// A subject that is nothing but prefixes ("RE: FW:") gives an empty topic
// and a count above 0.
ReplySubject ReduceReplySubject(QStringView subject);

}  // namespace store
