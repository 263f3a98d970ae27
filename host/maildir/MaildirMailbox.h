#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "host/mail/MailModel.h"

class QFileSystemWatcher;

namespace host::maildir {

// The name of the mailbox folder inside the data folder.
inline const QString kMailFolderName = QStringLiteral("Mail");

// Keeps the mail folders of a MailModel in Maildir directories (new/, cur/,
// tmp/), one message per file in RFC 5322 form.
//
// Entry ids come from the file's Maildir unique name (the part before ":"),
// so they survive restarts and the flag changes other programs make by
// renaming files. Files this program writes are named by the entry id the
// model gave the message; any other unique name becomes "00000000" followed
// by its bytes in hexadecimal. A copy of a file in a second folder under the
// same name gets an id that also names its folder.
//
// While it lives, every message the model files in a bound folder is
// written there (tmp/ first, then renamed into new/ for the Inbox and cur/
// for the others), every message saved again there is rewritten, and every
// message taken out of one is deleted from it.
// Folders that are not bound (the calendar, contacts) stay in memory.
class MaildirMailbox {
public:
    explicit MaildirMailbox(std::shared_ptr<MailModel> model);
    ~MaildirMailbox();
    MaildirMailbox(const MaildirMailbox&) = delete;
    MaildirMailbox& operator=(const MaildirMailbox&) = delete;

    // True when root holds no mailbox yet (the caller seeds one first).
    static bool IsNew(const QString& root);

    // The program's own mailbox under root: every mail folder directly under
    // the default store's root is bound to root/<its name> (messages it holds
    // in memory are written, files there are read), then every other Maildir
    // directory in root becomes a folder of that name. False, with the
    // reason in error, when root cannot be made.
    bool OpenOwn(const QString& root, QString& error);

    // An existing Maildir tree made by another tool. The Inbox is dir/INBOX,
    // dir/Inbox or dir itself when it has cur/ or new/; Sent Items is the
    // first of Sent, Sent Items, Sent Messages (also with a leading "."), or
    // a new "Sent Items" when there is none; Drafts is dir/Drafts (or
    // .Drafts) and the Outbox dir/Outbox (or .Outbox), each made when the
    // first message goes there. False, with the reason in error, when there
    // is no Inbox.
    bool OpenTree(const QString& dir, QString& error);

    // Binds one folder of the model to a Maildir directory (made now when
    // missing, unless makeNow is false: then with the first message written
    // there): its messages are written there, then the files there that it
    // does not hold yet are read into it, their headers only; a message's
    // content is read from its file when it is first asked for. A file that
    // cannot be read as a message is still listed, saying so.
    void Bind(const std::shared_ptr<HostFolder>& folder, const QString& dir, bool makeNow = true);

    // Reads messages another program put in the Inbox's new/ or cur/ since
    // the last look, each arriving with the model's item-added event.
    // Returns how many arrived.
    int Poll();
    // Looks whenever the Inbox's new/ or cur/ changes, as the system tells
    // (a file system watcher): nothing wakes the program while no mail
    // comes.
    void StartWatching();

    // Copies an .eml file into a bound folder unchanged and delivers it there
    // (item-added event). No object, with the reason in error, when the file
    // cannot be read or written.
    std::shared_ptr<HostMailItem> Import(const std::shared_ptr<HostFolder>& folder,
                                         const QString& path, QString& error);

    // The directory a folder is bound to; empty when none.
    QString DirectoryOf(const std::shared_ptr<HostFolder>& folder) const;
    // The file holding the message with that entry id; empty when none.
    QString FileOf(const QString& entryId) const;

    // The entry id of a file by its name ("<unique>:2,S" or "<unique>").
    static QString EntryIdForFileName(const QString& fileName);

    // Problems saving or deleting files (the program shows them).
    std::function<void(const QString&)> onError;

private:
    struct Stored {
        std::weak_ptr<HostFolder> folder;
        QString path;
    };
    struct Bound {
        std::weak_ptr<HostFolder> folder;
        QString dir;
    };

    const Bound* BindingOf(const HostFolder* folder) const;
    // The entry id of a file of this folder (see EntryIdForFileName).
    QString IdInFolder(const std::shared_ptr<HostFolder>& folder, const QString& fileName) const;
    void Filed(const std::shared_ptr<HostFolder>& folder,
               const std::shared_ptr<client::ItemObject>& item);
    void Removed(const std::shared_ptr<HostFolder>& folder,
                 const std::shared_ptr<client::ItemObject>& item);
    void Saved(const std::shared_ptr<HostFolder>& folder,
               const std::shared_ptr<client::ItemObject>& item);
    // Reads one file into a new item; never throws.
    std::shared_ptr<HostMailItem> ReadFile(const QString& path) const;
    // Writes bytes into dir as <unique><suffix> through tmp/; the path, or
    // empty with the reason in error.
    static QString WriteFile(const QString& dir, const QString& subFolder, const QString& name,
                             const QByteArray& bytes, QString& error);
    void ReportError(const QString& text) const;

    std::shared_ptr<MailModel> m_model;
    std::vector<Bound> m_bound;
    QHash<QString, Stored> m_files;  // by entry id
    std::weak_ptr<HostFolder> m_inbox;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
};

}  // namespace host::maildir
