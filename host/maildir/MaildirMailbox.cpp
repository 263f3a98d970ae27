#include "host/maildir/MaildirMailbox.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QUuid>
#include <algorithm>
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

bool MakeMaildir(const QString& dir) {
    QDir d;
    return d.mkpath(dir + '/' + kCur) && d.mkpath(dir + '/' + kNew) && d.mkpath(dir + '/' + kTmp);
}

// The message files of a Maildir, new/ then cur/, each by name. Names
// beginning with "." are not messages (editors' and tools' own files).
QStringList MessageFiles(const QString& dir) {
    QStringList files;
    for (const QString& sub : {kNew, kCur}) {
        QDir d(dir + '/' + sub);
        const QStringList names = d.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names) files << d.filePath(name);
    }
    return files;
}

}  // namespace

MaildirMailbox::MaildirMailbox(std::shared_ptr<MailModel> model) : m_model(std::move(model)) {
    m_model->onFiled = [this](const auto& folder, const auto& item) { Filed(folder, item); };
    m_model->onRemoved = [this](const auto& folder, const auto& item) { Removed(folder, item); };
}

MaildirMailbox::~MaildirMailbox() {
    m_model->onFiled = nullptr;
    m_model->onRemoved = nullptr;
}

QString MaildirMailbox::EntryIdForFileName(const QString& fileName) {
    const QString unique = fileName.section(':', 0, 0);
    static const QRegularExpression ownId(QStringLiteral("^[0-9A-F]{16,}$"));
    if (ownId.match(unique).hasMatch())
        return unique;
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
    if (IsMaildir(dir.filePath("Drafts")))
        Bind(m_model->DefaultFolder(kFolderDrafts), dir.filePath("Drafts"));
    m_inbox = m_model->DefaultFolder(client::olFolderInbox);
    return true;
}

void MaildirMailbox::Bind(const std::shared_ptr<HostFolder>& folder, const QString& dir) {
    if (!folder)
        return;
    if (!MakeMaildir(dir))
        ReportError(QStringLiteral("Cannot create the mail folder %1.").arg(dir));
    m_bound.push_back(Bound{folder, dir});
    // Messages the model holds in memory (a new mailbox's samples) go to disk.
    const auto held = folder->Contents();
    for (const auto& item : held) Filed(folder, item);
    for (const QString& path : MessageFiles(dir)) {
        const QString id = IdInFolder(folder, QFileInfo(path).fileName());
        if (m_files.contains(id))
            continue;  // the same message in new/ and cur/, or held already
        auto item = ReadFile(path);
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
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    const ReadResult result = ReadMessage(bytes, *item, QFileInfo(path).fileName());
    if (!result.hasDate)
        item->setSentOn(platform::ToWallClock(QFileInfo(path).lastModified()));
    return item;
}

QString MaildirMailbox::WriteFile(const QString& dir, const QString& subFolder, const QString& name,
                                  const QByteArray& bytes, QString& error) {
    const QString unique = name.section(':', 0, 0);
    const QString temporary = dir + '/' + kTmp + '/' + unique;
    const QString target = dir + '/' + subFolder + '/' + name;
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
    QString path = stored->path;
    if (!QFileInfo::exists(path)) {
        // Another program renamed it (a flag change): look for its unique name.
        const QString dir = QFileInfo(path).dir().absolutePath() + "/..";
        const QString unique = QFileInfo(path).fileName().section(':', 0, 0);
        for (const QString& candidate : MessageFiles(dir))
            if (QFileInfo(candidate).fileName().section(':', 0, 0) == unique)
                path = candidate;
    }
    if (QFileInfo::exists(path) && !QFile::remove(path))
        ReportError(QStringLiteral("The file %1 could not be deleted.").arg(path));
    m_files.erase(stored);
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
    m_files.insert(id, Stored{folder, stored});
    m_model->Deliver(folder, item, id);
    return item;
}

void MaildirMailbox::ReportError(const QString& text) const {
    if (onError)
        onError(text);
}

}  // namespace host::maildir
