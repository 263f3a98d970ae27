// Which prefixes make a subject a reply or a forward, and what the subject is
// about once they are off.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "store/ReplySubjects.h"
#include "tests/support/QtPrinters.h"

namespace {

struct Case {
    QString subject;
    QString topic;
    int prefixes;
};

// Checks every case and names the subject of each that fails.
void ExpectReduced(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const store::ReplySubject reduced = store::ReduceReplySubject(c.subject);
        EXPECT_EQ(reduced.topic.toString(), c.topic) << c.subject.toStdString();
        EXPECT_EQ(reduced.prefixes, c.prefixes) << c.subject.toStdString();
    }
}

TEST(ReplySubjectTest, StackedPrefixesOfTheCommonLanguagesAllComeOff) {
    ExpectReduced({
        {"RE: RE: Budget", "Budget", 2},
        {"re: fw: RE: budget", "budget", 3},
        {"Re: Fwd: Budget", "Budget", 2},
        {"AW: WG: Budget", "Budget", 2},
        {"Antw: Doorst: Begroting", "Begroting", 2},
        {"RE : TR : Budget", "Budget", 2},
        {"RE\u00A0: TR\u202F: Budget", "Budget", 2},
        {"RV: RE: Presupuesto", "Presupuesto", 2},
        {"RES: ENC: Orçamento", "Orçamento", 2},
        {"R: I: Bilancio", "Bilancio", 2},
        {"SV: VB: Budget", "Budget", 2},
        {"VS: VL: Budjetti", "Budjetti", 2},
        {"ODP: PD: Budżet", "Budżet", 2},
        {"Odp: PŘ: Rozpočet", "Rozpočet", 2},
        {"VÁ: TOV: Költségvetés", "Költségvetés", 2},
        {"YNT: İLT: Bütçe", "Bütçe", 2},
        {"Απ: ΣΧΕΤ: Προϋπολογισμός", "Προϋπολογισμός", 2},
        {"השב: הועבר: תקציב", "תקציב", 2},
        {"回复：转发：预算", "预算", 2},
        {"答复: 預算", "預算", 1},
        {"返信: 転送: 予算", "予算", 2},
        {"회신: 전달: 예산", "예산", 2},
    });
}

TEST(ReplySubjectTest, CountersAndListTagsGoWithThePrefixes) {
    ExpectReduced({
        {"Re[2]: Budget", "Budget", 1},
        {"RE(3): AW^2: Budget", "Budget", 2},
        {"[team] Re: Fwd: Budget", "Budget", 2},
        {"Re: [team] Budget", "Budget", 1},
        {"[team] AW: [team] WG: Budget", "Budget", 2},
        // A list's own copy of a message is no reply: its tag stays.
        {"[team] Budget", "[team] Budget", 0},
        // What only looks like a counter or a tag is part of the subject.
        {"Re[]: Budget", "Re[]: Budget", 0},
        {"Re[2 Budget", "Re[2 Budget", 0},
        {"Re[x]: Budget", "Re[x]: Budget", 0},
        {"Re: [" + QString(80, u'x') + "] Budget", "[" + QString(80, u'x') + "] Budget", 1},
    });
}

TEST(ReplySubjectTest, OnlyWholeKnownWordsBeforeAColonArePrefixes) {
    ExpectReduced({
        {"Budget", "Budget", 0},
        {"Budget: Q3 figures", "Budget: Q3 figures", 0},
        {"Reply: Budget", "Reply: Budget", 0},
        {"Recap: Budget", "Recap: Budget", 0},
        {"Re Budget", "Re Budget", 0},
        {"RE2: Budget", "RE2: Budget", 0},
        {"  Budget  ", "  Budget  ", 0},
        // The subject's own colon stays once the prefixes are off.
        {"RE: Budget: Q3 figures", "Budget: Q3 figures", 1},
        {"AW:Budget", "Budget", 1},
    });
}

TEST(ReplySubjectTest, ASubjectOfNothingButPrefixesHasAnEmptyTopic) {
    ExpectReduced({
        {"RE:", "", 1},
        {"RE: FW: ", "", 2},
        {"AW: [team]", "", 1},
        {"", "", 0},
        {"[team]", "[team]", 0},
    });
}

}  // namespace
