#include "platform/DataFileLocale.h"

#include <QDir>

#include "platform/Env.h"
#include "platform/RuntimeError.h"

namespace platform {

namespace {

const QByteArray kComment =
    "# The language of the dates in ChasewellData.txt, recorded when Chasewell first used this "
    "folder.\n# Chasewell reads and writes those dates in this language's forms whatever "
    "language it runs in; do not change it.\n";

}  // namespace

QString DataFileLocale::RecordName(const QLocale& locale) {
    return QLocale::languageToCode(locale.language()) + u'_' +
           QLocale::scriptToCode(locale.script()) + u'_' +
           QLocale::territoryToCode(locale.territory());
}

QLocale DataFileLocale::FromRecordName(const QString& name) {
    const QStringList parts = name.trimmed().split(u'_');
    if (parts.size() != 3)
        return QLocale::c();
    const QLocale::Language language = QLocale::codeToLanguage(parts[0]);
    const QLocale::Script script = QLocale::codeToScript(parts[1]);
    const QLocale::Territory territory = QLocale::codeToTerritory(parts[2]);
    if (language == QLocale::AnyLanguage || language == QLocale::C ||
        script == QLocale::AnyScript || territory == QLocale::AnyTerritory)
        return QLocale::c();
    const QLocale locale(language, script, territory);
    // Qt falls back to another language's data for one it has none of: that
    // is not the language recorded.
    if (locale.language() != language || locale.territory() != territory)
        return QLocale::c();
    return locale;
}

DataFileLocale::Choice DataFileLocale::For(const QString& folder, const QLocale& user,
                                           bool record) {
    const QString path = QDir::cleanPath(folder) + u'/' + kFileName;
    DataFiles& files = Files();
    Choice choice;
    choice.locale = user;
    try {
        if (files.Exists(path)) {
            const QList<QByteArray> lines = files.ReadAll(path).split('\n');
            QString name;
            for (const QByteArray& line : lines) {
                const QString text = QString::fromUtf8(line).trimmed();
                if (!text.isEmpty() && !text.startsWith(u'#')) {
                    name = text;
                    break;
                }
            }
            const QLocale recorded = FromRecordName(name);
            if (recorded.language() == QLocale::C) {
                choice.problem = QStringLiteral(
                                     "%1 does not name a language (it says \"%2\"); the dates of "
                                     "the reminder data file are read in the forms of %3 until it "
                                     "does.")
                                     .arg(path, name, RecordName(user));
                return choice;
            }
            choice.locale = recorded;
            choice.recorded = true;
            return choice;
        }
        if (!record)
            return choice;
        auto file = files.NewWritableFile(path);
        file->Append(kComment + RecordName(user).toUtf8() + '\n');
        file->Commit();
        choice.recorded = true;
    } catch (const RuntimeError& error) {
        choice.problem = QStringLiteral(
                             "The language of the reminder data file's dates could not be read "
                             "or recorded: %1.  Its dates are read in the forms of %2 meanwhile.")
                             .arg(error.description(), RecordName(user));
    }
    return choice;
}

QString UseDataFileDates(const QString& folder, bool record, LocaleDates* user,
                         std::optional<LocaleDates>& fileDates, Env& env) {
    const auto choice = DataFileLocale::For(folder, user->locale(), record);
    const QString name = DataFileLocale::RecordName(choice.locale);
    if (name == DataFileLocale::RecordName(user->locale())) {
        env.dates = user;
        return choice.problem;
    }
    if (!fileDates || DataFileLocale::RecordName(fileDates->locale()) != name)
        fileDates.emplace(choice.locale);
    env.dates = &*fileDates;
    return choice.problem;
}

}  // namespace platform
