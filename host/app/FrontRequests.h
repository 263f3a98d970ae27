#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace host::app {

// A second start on a data folder the program holds asks the running program
// to bring its window to the front, as starting a desktop program whose
// window is already open does. The program that holds the folder's lock
// (DataFolderLock) listens on a local socket named for the user and the
// folder; a request is the line "front", answered "ok" once the window came
// forward. Only that program can listen: it removes a socket a killed
// holder left, which no one else may still be using.
class FrontRequests : public QObject {
    Q_OBJECT

public:
    // Listens for requests on folder (whose lock the caller holds), calling
    // bringForward for each.
    FrontRequests(const QString& folder, std::function<void()> bringForward);
    ~FrontRequests() override;

    bool Listening() const;

    // Asks the program holding folder; true when it answered, within
    // timeoutMs, that its window came forward. Waits at most that long.
    static bool AskToComeForward(const QString& folder, int timeoutMs = 3000);

    // The socket's name: "chasewell-<user id>-<16 hex digits of the folder's
    // path, links resolved>", in the folder for temporary files.
    static QString ServerName(const QString& folder);

private:
    void Answer();

    QLocalServer* m_server;
    std::function<void()> m_bringForward;
};

}  // namespace host::app
