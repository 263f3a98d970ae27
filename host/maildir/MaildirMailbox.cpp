#include "host/maildir/MaildirMailbox.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "host/maildir/MessageFile.h"
#include "platform/Clock.h"
#include "platform/Env.h"

namespace host::maildir {

namespace {

const QString kCur = QStringLiteral("cur");
const QString kNew = QStringLiteral("new");
const QString kTmp = QStringLiteral("tmp");

bool IsMaildir(const QString& dir) {
    return QFileInfo(dir + "/cur").isDir() || QFileInfo(dir + "/new").isDir();
}

// The first of names under dir that is a Maildir; else the first name.
QString FirstMaildir(const QDir& dir, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (IsMaildir(dir.filePath(QString::fromUtf8(name))))
            return dir.filePath(QString::fromUtf8(name));
    return dir.filePath(QString::fromUtf8(*names.begin()));
}

bool MakeMaildir(const QString& dir) {
    QDir d;
    return d.mkpath(dir + '/' + kCur) && d.mkpath(dir + '/' + kNew) && d.mkpath(dir + '/' + kTmp);
}

// What is read of a file in looking for the end of its header. Real headers
// are a few kilobytes; past this a file is taken to be all header, and what
// is kept of it is cut further (CapHeader).
constexpr qint64 kMaxHeaderReadBytes = 64 * 1024 * 1024;

// The start of a file up to the end of its header (or all of a file that
// has no body); empty when it cannot be read. Read with the system's calls:
// a folder of a hundred thousand files is read at start, and a QFile for
// each cost more than the reading.
QByteArray ReadHeaderBytes(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    // Most files are read whole by the first read, into a buffer that is
    // not made afresh for each of thousands of files.
    static char buffer[16 * 1024];
    QByteArray bytes;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const qsizetype looked = bytes.size();
        bytes.append(buffer, got);
        // Only the new piece is searched (with the line end before it): a
        // search from the start after every piece made a header of many
        // megabytes cost seconds.
        if (HeaderEnd(bytes, looked) < bytes.size() || bytes.size() >= kMaxHeaderReadBytes)
            break;
    }
    ::close(fd);
    return bytes;
}

// The file a message was read from, or, when another program renamed it
// since (a flag change, or a move from new/ to cur/), the file of the same
// unique name in the same Maildir; empty when there is none.
QString CurrentPath(const QString& path);

// The message files of a Maildir, new/ then cur/, each by name. Names
// beginning with "." are not messages (editors' and tools' own files). The
// directory is read as it is, without a look at each file, which a folder
// of a hundred thousand messages would wait for.
QStringList MessageFiles(const QString& dir) {
    QStringList files;
    for (const QString& sub : {kNew, kCur}) {
        const QString path = dir + '/' + sub;
        DIR* listing = ::opendir(QFile::encodeName(path).constData());
        if (!listing)
            continue;
        QStringList names;
        while (const dirent* entry = ::readdir(listing)) {
            if (entry->d_name[0] == '.')
                continue;
            const QString name = QFile::decodeName(entry->d_name);
            // Files only (a link to one too); the file system may not say.
            if (entry->d_type != DT_REG &&
                !(entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK))
                continue;
            if (entry->d_type != DT_REG && !QFileInfo(path + '/' + name).isFile())
                continue;
            names << name;
        }
        ::closedir(listing);
        names.sort();
        files.reserve(files.size() + names.size());
        for (const QString& name : names) files << path + '/' + name;
    }
    return files;
}

QString CurrentPath(const QString& path) {
    if (QFileInfo::exists(path))
        return path;
    const QString dir = QFileInfo(path).dir().absolutePath() + "/..";
    const QString unique = QFileInfo(path).fileName().section(':', 0, 0);
    for (const QString& candidate : MessageFiles(dir))
        if (QFileInfo(candidate).fileName().section(':', 0, 0) == unique)
            return candidate;
    return QString();
}

// The content of the message file at path, read when a message is opened.
HostMessageContent ContentOf(const QString& path) {
    const QString current = CurrentPath(path);
    QFile file(current);
    if (current.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        HostMessageContent missing;
        missing.notice =
            QStringLiteral("The message's file %1 could not be read: %2.")
                .arg(path, current.isEmpty() ? QStringLiteral("it is gone") : file.errorString());
        return missing;
    }
    return ReadContent(file.readAll());
}

}  // namespace

MaildirMailbox::MaildirMailbox(std::shared_ptr<MailModel> model) : m_model(std::move(model)) {
    m_model->onFiled = [this](const auto& folder, const auto& item) { Filed(folder, item); };
    m_model->onRemoved = [this](const auto& folder, const auto& item) { Removed(folder, item); };
    m_model->onSaved = [this](const auto& folder, const auto& item) { Saved(folder, item); };
}

MaildirMailbox::~MaildirMailbox() {
    m_model->onFiled = nullptr;
    m_model->onRemoved = nullptr;
    m_model->onSaved = nullptr;
}

QString MaildirMailbox::EntryIdForFileName(const QString& fileName) {
    const qsizetype colon = fileName.indexOf(':');
    const QStringView unique =
        colon < 0 ? QStringView(fileName) : QStringView(fileName).first(colon);
    // An id this program gave: sixteen or more upper-case hexadecimal digits.
    const bool own = unique.size() >= 16 && std::all_of(unique.begin(), unique.end(), [](QChar c) {
                         return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
                     });
    if (own)
        return unique.toString();
    return QStringLiteral("00000000") + QString::fromLatin1(unique.toUtf8().toHex().toUpper());
}

QString MaildirMailbox::IdInFolder(const std::shared_ptr<HostFolder>& folder,
                                   const QString& fileName) const {
    const QString id = EntryIdForFileName(fileName);
    const auto stored = m_files.find(id);
    if (stored == m_files.end() || stored->folder.lock() == folder)
        return id;
    // Another folder holds a file of the same unique name (a copy made with
    // a file tool): this one's id names its folder too, and stays the same
    // from run to run as folders are always read in the same order.
    return EntryIdForFileName(folder->Name() + '/' + fileName);
}

bool MaildirMailbox::IsNew(const QString& root) {
    return !QFileInfo(root).isDir();
}

bool MaildirMailbox::OpenOwn(const QString& root, QString& error) {
    if (!QDir().mkpath(root)) {
        error = QStringLiteral("Cannot create the mail folder %1.").arg(root);
        return false;
    }
    const auto storeRoot = m_model->StoreRoots().front();
    QStringList taken;
    // A snapshot: binding never adds folders, but the list is the model's.
    const auto folders = storeRoot->Folders();
    for (const auto& folder : folders) {
        if (folder->DefaultItemType() != client::olMailItem)
            continue;
        Bind(folder, root + '/' + folder->Name());
        taken << folder->Name();
    }
    QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (taken.contains(name) || !IsMaildir(dir.filePath(name)))
            continue;
        Bind(m_model->AddFolder(storeRoot, name), dir.filePath(name));
    }
    m_inbox = m_model->DefaultFolder(client::olFolderInbox);
    return true;
}

bool MaildirMailbox::OpenTree(const QString& dirPath, QString& error) {
    const QDir dir(dirPath);
    QString inboxDir;
    for (const QString& name : {QStringLiteral("INBOX"), QStringLiteral("Inbox")})
        if (inboxDir.isEmpty() && IsMaildir(dir.filePath(name)))
            inboxDir = dir.filePath(name);
    if (inboxDir.isEmpty() && IsMaildir(dir.absolutePath()))
        inboxDir = dir.absolutePath();
    if (inboxDir.isEmpty()) {
        error = QStringLiteral(
                    "%1 holds no Maildir Inbox: expected INBOX/ or Inbox/, or cur/ and new/ "
                    "in the folder itself.")
                    .arg(dir.absolutePath());
        return false;
    }
    QString sentDir;
    for (const char* name :
         {"Sent", "Sent Items", "Sent Messages", ".Sent", ".Sent Items", ".Sent Messages"})
        if (sentDir.isEmpty() && IsMaildir(dir.filePath(QString::fromUtf8(name))))
            sentDir = dir.filePath(QString::fromUtf8(name));
    if (sentDir.isEmpty())
        sentDir = dir.filePath("Sent Items");

    Bind(m_model->DefaultFolder(client::olFolderInbox), inboxDir);
    Bind(m_model->DefaultFolder(client::olFolderSentMail), sentDir);
    // Drafts kept and messages waiting to be sent must outlive the program:
    // their folders are bound too, and made in the tree only when the first
    // message goes there.
    Bind(m_model->DefaultFolder(kFolderDrafts), FirstMaildir(dir, {"Drafts", ".Drafts"}), false);
    Bind(m_model->DefaultFolder(client::olFolderOutbox), FirstMaildir(dir, {"Outbox", ".Outbox"}),
         false);
    m_inbox = m_model->DefaultFolder(client::olFolderInbox);
    return true;
}

void MaildirMailbox::Bind(const std::shared_ptr<HostFolder>& folder, const QString& dir,
                          bool makeNow) {
    if (!folder)
        return;
    if (makeNow && !MakeMaildir(dir))
        ReportError(QStringLiteral("Cannot create the mail folder %1.").arg(dir));
    m_bound.push_back(Bound{folder, dir});
    // Messages the model holds in memory (a new mailbox's samples) go to disk.
    const auto held = folder->Contents();
    for (const auto& item : held) Filed(folder, item);
    // A draft and a message waiting in the Outbox are not sent, whatever
    // date their file carries (every file has one, or the file's own time):
    // read as sent, they would open read-only and refuse Send Again after
    // a restart.
    const bool unsent = folder == m_model->DefaultFolder(kFolderDrafts) ||
                        folder == m_model->DefaultFolder(client::olFolderOutbox);
    for (const QString& path : MessageFiles(dir)) {
        const QString id = IdInFolder(folder, QFileInfo(path).fileName());
        if (m_files.contains(id))
            continue;  // the same message in new/ and cur/, or held already
        auto item = ReadFile(path);
        if (unsent)
            item->setSentOn(QDateTime());
        m_files.insert(id, Stored{folder, path});
        try {
            m_model->File(folder, item, id);
        } catch (const std::invalid_argument&) {
            m_files.remove(id);
        }
    }
}

const MaildirMailbox::Bound* MaildirMailbox::BindingOf(const HostFolder* folder) const {
    for (const auto& bound : m_bound)
        if (bound.folder.lock().get() == folder)
            return &bound;
    return nullptr;
}

QString MaildirMailbox::DirectoryOf(const std::shared_ptr<HostFolder>& folder) const {
    const Bound* bound = BindingOf(folder.get());
    return bound ? bound->dir : QString();
}

QString MaildirMailbox::FileOf(const QString& entryId) const {
    return m_files.value(entryId).path;
}

std::shared_ptr<HostMailItem> MaildirMailbox::ReadFile(const QString& path) const {
    auto item = m_model->NewMailItem();
    const QByteArray bytes = ReadHeaderBytes(path);
    // Only the header is read now: a folder lists thousands of messages
    // and only the ones opened need their bodies.
    const ReadResult result = ReadMessageHeader(bytes, *item, QFileInfo(path).fileName());
    if (result.readable)
        item->setContentLoader([path] { return ContentOf(path); });
    if (!result.hasDate)
        item->setSentOn(platform::ToWallClock(QFileInfo(path).lastModified()));
    return item;
}

QString MaildirMailbox::WriteFile(const QString& dir, const QString& subFolder, const QString& name,
                                  const QByteArray& bytes, QString& error) {
    const QString unique = name.section(':', 0, 0);
    const QString temporary = dir + '/' + kTmp + '/' + unique;
    const QString target = dir + '/' + subFolder + '/' + name;
    // A folder bound before it existed is made with its first message.
    if (!QFileInfo(dir + '/' + kTmp).isDir() && !MakeMaildir(dir)) {
        error = QStringLiteral("the folder cannot be created");
        return QString();
    }
    QFile file(temporary);
    // Written and synced before it is moved into place, so a crash never
    // leaves a half-written message where readers look.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        error = file.errorString();
        file.remove();
        return QString();
    }
    file.close();
    // Maildir readers never look into tmp/: the message appears whole or not
    // at all.
    QFile::remove(target);
    if (!QFile::rename(temporary, target)) {
        error = QStringLiteral("cannot move it out of tmp/");
        QFile::remove(temporary);
        return QString();
    }
    return target;
}

void MaildirMailbox::Filed(const std::shared_ptr<HostFolder>& folder,
                           const std::shared_ptr<client::ItemObject>& item) {
    auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    const Bound* bound = BindingOf(folder.get());
    if (!mail || !bound)
        return;
    const QString id = mail->EntryID();
    if (auto stored = m_files.find(id); stored != m_files.end() && stored->folder.lock() == folder)
        return;  // read from this folder's files
    const bool arriving = folder == m_inbox.lock();
    const QByteArray bytes = WriteMessage(*mail);
    QString error;
    const QString path = arriving ? WriteFile(bound->dir, kNew, id, bytes, error)
                                  : WriteFile(bound->dir, kCur, id + ":2,S", bytes, error);
    if (path.isEmpty()) {
        ReportError(QStringLiteral("The message \"%1\" could not be saved in %2: %3.")
                        .arg(mail->Subject(), bound->dir, error));
        return;
    }
    m_files.insert(id, Stored{folder, path});
}

void MaildirMailbox::Removed(const std::shared_ptr<HostFolder>&,
                             const std::shared_ptr<client::ItemObject>& item) {
    auto stored = m_files.find(item->EntryID());
    if (stored == m_files.end())
        return;
    // Another program may have renamed it (a flag change).
    const QString path = CurrentPath(stored->path);
    if (!path.isEmpty() && !QFile::remove(path))
        ReportError(QStringLiteral("The file %1 could not be deleted.").arg(path));
    m_files.erase(stored);
}

void MaildirMailbox::Saved(const std::shared_ptr<HostFolder>& folder,
                           const std::shared_ptr<client::ItemObject>& item) {
    auto mail = std::dynamic_pointer_cast<HostMailItem>(item);
    const Bound* bound = BindingOf(folder.get());
    auto stored = m_files.find(item->EntryID());
    if (!mail || !bound || stored == m_files.end())
        return;
    // The file is replaced whole under its own name (written beside it and
    // renamed over it), so a failure leaves the last saved version.
    const QString path = CurrentPath(stored->path);
    const QString name =
        path.isEmpty() ? QFileInfo(stored->path).fileName() : QFileInfo(path).fileName();
    const QString subFolder = QFileInfo(path.isEmpty() ? stored->path : path).dir().dirName();
    QString error;
    const QString written = WriteFile(bound->dir, subFolder, name, WriteMessage(*mail), error);
    if (written.isEmpty()) {
        ReportError(QStringLiteral("The message \"%1\" could not be saved in %2: %3.")
                        .arg(mail->Subject(), bound->dir, error));
        return;
    }
    stored->path = written;
}

int MaildirMailbox::Poll() {
    auto inbox = m_inbox.lock();
    const Bound* bound = inbox ? BindingOf(inbox.get()) : nullptr;
    if (!bound)
        return 0;
    int arrived = 0;
    const QString dir = bound->dir;
    for (const QString& path : MessageFiles(dir)) {
        const QString id = IdInFolder(inbox, QFileInfo(path).fileName());
        if (auto stored = m_files.find(id); stored != m_files.end()) {
            stored->path = path;  // renamed by a flag change, perhaps
            continue;
        }
        auto item = ReadFile(path);
        m_files.insert(id, Stored{inbox, path});
        try {
            m_model->Deliver(inbox, item, id);
            ++arrived;
        } catch (const std::invalid_argument&) {
            m_files.remove(id);
        }
    }
    return arrived;
}

void MaildirMailbox::StartWatching() {
    auto inbox = m_inbox.lock();
    const Bound* bound = inbox ? BindingOf(inbox.get()) : nullptr;
    if (!bound)
        return;
    m_watcher = std::make_unique<QFileSystemWatcher>();
    // A delivery agent writes into tmp/ and renames into new/; readers move
    // files from new/ to cur/. Both moves change one of these two.
    m_watcher->addPaths({bound->dir + '/' + kNew, bound->dir + '/' + kCur});
    QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(),
                     [this] { Poll(); });
}

std::shared_ptr<HostMailItem> MaildirMailbox::Import(const std::shared_ptr<HostFolder>& folder,
                                                     const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Cannot read %1: %2.").arg(path, file.errorString());
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    auto item = m_model->NewMailItem();
    ReadMessage(bytes, *item, QFileInfo(path).fileName());
    const Bound* bound = BindingOf(folder.get());
    if (!bound) {
        m_model->Deliver(folder, item);
        return item;
    }
    // The file is stored as it was, under a unique name of its own, before
    // the message arrives: a copy that could not be written never arrives.
    const QString unique = QStringLiteral("%1.%2.chasewell")
                               .arg(QDateTime::currentSecsSinceEpoch())
                               .arg(QUuid::createUuid().toString(QUuid::Id128));
    const bool arriving = folder == m_inbox.lock();
    const QString stored = arriving ? WriteFile(bound->dir, kNew, unique, bytes, error)
                                    : WriteFile(bound->dir, kCur, unique + ":2,S", bytes, error);
    if (stored.isEmpty()) {
        error = QStringLiteral("Cannot store %1 in %2: %3.").arg(path, bound->dir, error);
        return nullptr;
    }
    const QString id = EntryIdForFileName(unique);
    item->setContentLoader([stored] { return ContentOf(stored); });
    m_files.insert(id, Stored{folder, stored});
    m_model->Deliver(folder, item, id);
    return item;
}

void MaildirMailbox::ReportError(const QString& text) const {
    if (onError)
        onError(text);
}

}  // namespace host::maildir
