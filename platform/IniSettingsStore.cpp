#include "platform/IniSettingsStore.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

#include "platform/DataFiles.h"
#include "platform/FileErrors.h"
#include "platform/RuntimeError.h"

namespace platform {

namespace {

// The file is handled as lines of bytes: only the line that changes is
// decoded and re-encoded, so everything else in the file (comments, lines
// this store does not understand, text in another encoding) is written back
// as it was; only line ends become plain line feeds.
using Lines = std::vector<QByteArray>;

QString Decode(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}

// "[Name]" with blanks allowed around; the name is what lies between.
std::optional<QString> SectionName(const QByteArray& line) {
    const QString text = Decode(line).trimmed();
    if (text.size() < 2 || !text.startsWith(u'[') || !text.endsWith(u']'))
        return std::nullopt;
    return text.mid(1, text.size() - 2).trimmed();
}

// The key of a "key=value" line; the value starts after the first '='.
std::optional<QString> KeyName(const QByteArray& line, qsizetype* valueStart) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    if (valueStart)
        *valueStart = equals + 1;
    return Decode(line.left(equals)).trimmed();
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Backslash, carriage return and line feed are the only characters escaped:
// they are all a line-based file cannot hold as they are.
QString Escape(const QString& value) {
    QString escaped;
    escaped.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            escaped += QLatin1String("\\\\");
        else if (c == u'\r')
            escaped += QLatin1String("\\r");
        else if (c == u'\n')
            escaped += QLatin1String("\\n");
        else
            escaped += c;
    }
    return escaped;
}

// An escape this store never writes is kept as it stands.
QString Unescape(const QString& stored) {
    QString value;
    value.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c == u'\\' && i + 1 < stored.size()) {
            const QChar next = stored.at(i + 1);
            if (next == u'\\' || next == u'r' || next == u'n') {
                value += next == u'\\' ? u'\\' : next == u'r' ? u'\r' : u'\n';
                ++i;
                continue;
            }
        }
        value += c;
    }
    return value;
}

Lines SplitLines(const QByteArray& content) {
    Lines lines;
    QByteArray text = content;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.isEmpty())
        return lines;
    if (text.endsWith('\n'))
        text.chop(1);
    for (QByteArray& line : text.split('\n')) {
        // Lines ending in CR LF (a file edited elsewhere) read like the rest;
        // values never hold a bare CR, since it is written escaped.
        if (line.endsWith('\r'))
            line.chop(1);
        lines.push_back(std::move(line));
    }
    return lines;
}

struct Found {
    std::optional<size_t> keyLine;      // the line holding the key
    std::optional<size_t> sectionLast;  // the last line of the first matching section
    qsizetype valueStart = 0;
};

// The first line of the key in any section of that name, as a reader that
// stops at the first match sees it.
Found Find(const Lines& lines, const QString& section, const QString& key) {
    Found found;
    bool inSection = false;
    bool firstSectionOpen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i])) {
            inSection = SameName(*name, section);
            firstSectionOpen = inSection && !found.sectionLast;
            if (firstSectionOpen)
                found.sectionLast = i;
            continue;
        }
        if (!inSection)
            continue;
        if (firstSectionOpen && !lines[i].trimmed().isEmpty())
            found.sectionLast = i;
        qsizetype valueStart = 0;
        auto name = KeyName(lines[i], &valueStart);
        if (name && SameName(*name, key)) {
            found.keyLine = i;
            found.valueStart = valueStart;
            return found;
        }
    }
    return found;
}

// Names end up inside "[...]" and before "=": text that would read back as
// another line, another section or another key cannot be stored faithfully.
bool ValidSection(const QString& name) {
    return !name.isEmpty() && !name.contains(u'\n') && !name.contains(u'\r');
}

bool ValidKey(const QString& name) {
    return !name.isEmpty() && !name.contains(u'\n') && !name.contains(u'\r') &&
           !name.contains(u'=') && !name.startsWith(u'[');
}

// The application name becomes a file name: it must not lead anywhere else.
bool ValidAppName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(u'/') && !name.contains(u'\\') && !name.contains(QChar(0));
}

// Makes the folder and any missing folder above it; 0 or the errno value of
// the step that failed.
int MakeFolders(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    qsizetype end = 0;
    while (end >= 0) {
        end = path.indexOf(u'/', end + 1);
        const QString part = end < 0 ? path : path.left(end);
        if (::mkdir(QFile::encodeName(part).constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error != EEXIST)
            return error;
        if (!QFileInfo(part).isDir())
            return ENOTDIR;
    }
    return 0;
}

DataFiles& SharedFiles() {
    static LocalDataFiles files;
    return files;
}

}  // namespace

IniSettingsStore::IniSettingsStore(QString folder, DataFiles* files)
    : m_folder(std::move(folder)), m_files(files ? *files : SharedFiles()) {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // A folder given with a separator at its end ("/data/") must not put two
    // in the paths the user reads in messages.
    m_folder = QDir::cleanPath(m_folder);
}

QString IniSettingsStore::FilePath(const QString& appName) const {
    return m_folder + u'/' + appName + QLatin1String(".ini");
}

QString IniSettingsStore::Location(const QString& appName) const {
    return FilePath(appName);
}

QString IniSettingsStore::GetSetting(const QString& appName, const QString& section,
                                     const QString& key, const QString& defaultValue) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (!ValidAppName(appName) || !ValidSection(sectionName) || !ValidKey(keyName))
        return defaultValue;
    const QString path = FilePath(appName);
    if (!QFileInfo::exists(path))
        return defaultValue;
    QByteArray content;
    try {
        content = m_files.ReadAll(path);
    } catch (const RuntimeError&) {
        return defaultValue;
    }
    const Lines lines = SplitLines(content);
    const Found found = Find(lines, sectionName, keyName);
    if (!found.keyLine)
        return defaultValue;
    return Unescape(Decode(lines[*found.keyLine].mid(found.valueStart)));
}

void IniSettingsStore::SaveSetting(const QString& appName, const QString& section,
                                   const QString& key, const QString& value) {
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (!ValidAppName(appName) || !ValidSection(sectionName) || !ValidKey(keyName))
        throw RuntimeError::InvalidProcedureCall();

    const QString path = FilePath(appName);
    if (const int error = MakeFolders(m_folder))
        throw FileError(FileStep::Create, m_folder, error);
    // What a write killed half-way left beside the file.
    m_files.RemoveLeftovers(path);

    Lines lines;
    // A file that exists but cannot be read must not be replaced by one
    // holding only this value: every other setting would be lost. Reading
    // throws, naming the file.
    if (QFileInfo::exists(path))
        lines = SplitLines(m_files.ReadAll(path));

    const QByteArray entry = (keyName + u'=' + Escape(value)).toUtf8();
    const Found found = Find(lines, sectionName, keyName);
    if (found.keyLine) {
        // The stored spelling of the key stays as it was.
        QByteArray& line = lines[*found.keyLine];
        line = line.left(found.valueStart) + Escape(value).toUtf8();
    } else if (found.sectionLast) {
        lines.insert(lines.begin() + qsizetype(*found.sectionLast) + 1, entry);
    } else {
        if (!lines.empty() && !lines.back().trimmed().isEmpty())
            lines.emplace_back();
        lines.push_back(('[' + sectionName + u']').toUtf8());
        lines.push_back(entry);
    }

    QByteArray content;
    for (const QByteArray& line : lines) content += line + '\n';

    auto file = m_files.NewWritableFile(path);
    file->Append(content);
    file->Commit();
}

}  // namespace platform
