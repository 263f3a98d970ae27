#include "store/ReplySubjects.h"

#include <algorithm>

namespace store {

namespace {

// The words mail programs put before a reply's or a forward's subject, each
// followed by a colon. Compared without regard to letter case, so "Re",
// "RE" and "re" are one entry. Only whole words count: "Reply:" or
// "Budget:" at the front of a subject are part of it.
constexpr QStringView kReplyAndForwardWords[] = {
    // Every mail program in English, and most of them whatever the user's
    // language: RE (reply), FW and FWD (forward).
    u"RE",
    u"FW",
    u"FWD",
    // German: the localised versions of the big desktop and web clients
    // write AW (Antwort) and WG (Weitergeleitet).
    u"AW",
    u"WG",
    // Dutch: Antw (Antwoord) and Doorst (Doorgestuurd).
    u"ANTW",
    u"DOORST",
    // French: RE for a reply and TR (Transféré) for a forward, written with a
    // blank before the colon ("RE :", "TR :").
    u"TR",
    // Spanish: RV (Reenviado); replies are RE.
    u"RV",
    // Portuguese (Brazil): RES (Resposta) and ENC (Encaminhado).
    u"RES",
    u"ENC",
    // Italian: R (Risposta) and I (Inoltrato).
    u"R",
    u"I",
    // Swedish, Danish and Norwegian: SV (Svar), VB (Vidarebefordrat) and VS
    // (Videresendt); Finnish: VS (Vastaus) and VL (Välitetty).
    u"SV",
    u"VB",
    u"VS",
    u"VL",
    // Polish: ODP (Odpowiedź) and PD (Przekaż dalej); Czech: Odp (Odpověď) and
    // PŘ (Přeposláno).
    u"ODP",
    u"PD",
    u"PŘ",
    // Hungarian: VÁ (Válasz) and TOV (Továbbítás).
    u"VÁ",
    u"TOV",
    // Turkish: YNT (Yanıt) and İLT (İletildi), also written with a plain I.
    u"YNT",
    u"İLT",
    u"ILT",
    // Greek: ΑΠ (Απάντηση), ΣΧΕΤ (Σχετικό) and ΠΡΘ (Προώθηση).
    u"ΑΠ",
    u"ΣΧΕΤ",
    u"ΠΡΘ",
    // Hebrew: השב (reply) and הועבר (forwarded).
    u"השב",
    u"הועבר",
    // Chinese, simplified and traditional: 回复/回覆 and 答复/答覆 (reply),
    // 转发/轉發 and 转寄/轉寄 (forward); often with a full-width colon.
    u"回复",
    u"回覆",
    u"答复",
    u"答覆",
    u"转发",
    u"轉發",
    u"转寄",
    u"轉寄",
    // Japanese: 返信 (reply) and 転送 (forward).
    u"返信",
    u"転送",
    // Korean: 회신 (reply) and 전달 (forward).
    u"회신",
    u"전달",
};

// A list's tag longer than this is taken for part of the subject.
constexpr qsizetype kMaxTagLength = 64;

bool IsBlank(QChar c) {
    // The no-break spaces are what French typography puts before a colon.
    return c == u' ' || c == u'\t' || c == u'\u00A0' || c == u'\u202F' || c == u'\u3000';
}

bool IsColon(QChar c) {
    return c == u':' || c == u'\uFF1A';
}

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsReplyOrForwardWord(QStringView word) {
    for (QStringView known : kReplyAndForwardWords)
        if (word.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The length of the reply or forward prefix that text starts with, its colon
// included; 0 when it starts with none.
qsizetype PrefixLength(QStringView text) {
    const qsizetype size = text.size();
    qsizetype at = 0;
    while (at < size && text[at].isLetter()) ++at;
    if (at == 0 || !IsReplyOrForwardWord(text.first(at)))
        return 0;
    // A counter of the replies so far: "Re[2]:", "Re(2):", "Re^2:".
    if (at < size && (text[at] == u'[' || text[at] == u'(' || text[at] == u'^')) {
        const QChar open = text[at];
        qsizetype digits = at + 1;
        while (digits < size && IsAsciiDigit(text[digits])) ++digits;
        if (digits == at + 1)
            return 0;
        if (open != u'^') {
            const QChar close = open == u'[' ? u']' : u')';
            if (digits >= size || text[digits] != close)
                return 0;
            ++digits;
        }
        at = digits;
    }
    while (at < size && IsBlank(text[at])) ++at;
    if (at >= size || !IsColon(text[at]))
        return 0;
    return at + 1;
}

// The length of the list tag ("[team]") that text starts with; 0 when none.
qsizetype TagLength(QStringView text) {
    if (text.isEmpty() || text[0] != u'[')
        return 0;
    const qsizetype last = std::min(text.size(), kMaxTagLength + 2);
    for (qsizetype at = 1; at < last; ++at) {
        if (text[at] == u']')
            return at > 1 ? at + 1 : 0;
        if (text[at] == u'[')
            return 0;
    }
    return 0;
}

QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.sliced(begin, end - begin);
}

}  // namespace

ReplySubject ReduceReplySubject(QStringView subject) {
    int prefixes = 0;
    qsizetype at = 0;
    // Past the last prefix and the tags right after it.
    qsizetype topicStart = 0;
    for (;;) {
        while (at < subject.size() && IsBlank(subject[at])) ++at;
        const QStringView rest = subject.sliced(at);
        if (const qsizetype length = PrefixLength(rest)) {
            at += length;
            ++prefixes;
            topicStart = at;
        } else if (const qsizetype tag = TagLength(rest)) {
            at += tag;
            if (prefixes > 0)
                topicStart = at;
        } else {
            break;
        }
    }
    if (prefixes == 0)
        return {subject, 0};
    return {TrimBlanks(subject.sliced(topicStart)), prefixes};
}

}  // namespace store
