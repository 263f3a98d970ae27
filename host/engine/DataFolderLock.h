#pragma once

#include <QString>

namespace host {

// One program per data folder. Every program that keeps the reminders of a
// data folder (the Chasewell program, the host that runs the add-in in
// Thunderbird) takes this lock on the folder before it loads them, and keeps
// it for the life of its process: each of two programs on one folder would
// rewrite the whole data file from its own memory, dropping what the other
// added, re-dated or ended.
//
// The contract:
// - Taking never waits. The lock is taken, or refused at once because
//   another program holds it (InUse), or cannot be taken at all (Failed:
//   the folder is missing or not writable, say).
// - It is an advisory lock (flock) on the file "Chasewell.lock" in the
//   folder, which the kernel drops when the holding process ends in any way,
//   killed (kill -9) or crashed included: a lock is never left behind, and
//   the next start takes the folder over. The file itself stays; removing it
//   could let two programs each lock a file of that name.
// - The holder writes its process id and how it names itself ("the Chasewell
//   program") into the file; a refused program reads them, so that it can
//   tell the user who holds the folder (Refusal). Nothing else reads it.
// - The lock belongs to the object: a second DataFolderLock on the folder is
//   refused, in the same process too. Programs the holder starts (a sendmail
//   command) do not inherit it. Destroying the object releases the lock.
// - It needs nothing but the operating system and Qt's strings: no window.
class DataFolderLock {
public:
    enum class State {
        Held,    // this object holds the folder
        InUse,   // another program (or object) holds it
        Failed,  // the lock could not be taken or refused (Refusal says why)
    };

    // The lock file's name in the folder.
    static inline const QString kFileName = QStringLiteral("Chasewell.lock");

    // Tries to take the lock on folder (with or without a separator at its
    // end) for holder, in the words a user reads: "the Chasewell program",
    // "Chasewell in Thunderbird".
    DataFolderLock(const QString& folder, const QString& holder);
    // Releases the lock, if held.
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;

    State state() const { return m_state; }
    bool Held() const { return m_state == State::Held; }
    // The folder, without a separator at its end.
    const QString& Folder() const { return m_folder; }

    // When InUse: how the holder named itself and its process id, as it
    // wrote them; empty and 0 when it wrote nothing readable (it is that
    // moment taking the lock).
    const QString& HolderName() const { return m_holderName; }
    qint64 HolderProcessId() const { return m_holderProcessId; }

    // When not held, one sentence for the user:
    //   "The data folder /home/pat/.local/share/Chasewell is in use by the
    //    Chasewell program (process 4242)."
    //   "The data folder ... is in use by another program." (holder unknown)
    //   "The data folder ... cannot be locked: Permission denied."
    // Empty while held.
    QString Refusal() const;

private:
    void ReadHolder();

    QString m_folder;
    State m_state = State::Failed;
    int m_fd = -1;
    QString m_holderName;
    qint64 m_holderProcessId = 0;
    QString m_failure;
};

}  // namespace host
