#pragma once

#include <QLocale>
#include <QString>
#include <optional>

#include "platform/LocaleDates.h"

namespace platform {

// The language whose date forms a data folder's reminder file is written in.
//
// Reminder dates are kept as text in a language's forms ("3/7/2024 8:00:00
// AM" in United States English, "07.03.2024 08:00:00" in German), and text in
// one language's forms reads wrongly, or not at all, in another's: 12/8/2024
// is 8 December in one and 12 August in another. So the first start on a
// data folder records the language it then runs in, in a file beside the
// data file, and every later start reads and writes the data file (and so
// every date the add-in shows and reads) in those forms, whatever language
// the user or the host runs in then. A data file written before the record
// existed is in the forms of the language its program ran in; the first
// start that records takes the language it runs in, so such a file goes on
// loading exactly as it did.
//
// The record is a line of text: the language, its script and its territory
// in Qt's codes ("de_Latn_DE"), after a comment line saying what it is.
class DataFileLocale {
public:
    static inline const QString kFileName = QStringLiteral("ChasewellDataLocale.txt");

    struct Choice {
        // The language whose forms the data folder uses.
        QLocale locale;
        // It was recorded (read, or written now).
        bool recorded = false;
        // What went wrong reading or writing the record, in a sentence for
        // the user naming the file; empty when nothing did. The choice is
        // then the user's language, and the record is left as it was.
        QString problem;
    };

    // The language for the data folder (with or without a separator at its
    // end): the recorded one; with none recorded, the user's (`user`), which
    // is recorded now when `record` is set (a program that holds the folder;
    // one that only reads it, beside a running program, writes nothing).
    // Writes go through the file layer (DataFiles). Never throws.
    static Choice For(const QString& folder, const QLocale& user, bool record);

    // The record's text for a language ("de_Latn_DE") and the language a
    // record's text names (C when it names none Qt knows).
    static QString RecordName(const QLocale& locale);
    static QLocale FromRecordName(const QString& name);
};

struct Env;

// Makes the date forms of the data folder's reminder file (DataFileLocale)
// those of the whole add-in for the run: env.dates becomes user when they
// are the user's own, else the forms kept in fileDates (made, or remade when
// they are another language's). record: the caller holds the folder. Returns
// what went wrong with the record, in a sentence; empty when nothing did.
QString UseDataFileDates(const QString& folder, bool record, LocaleDates* user,
                         std::optional<LocaleDates>& fileDates, Env& env);

}  // namespace platform
