#pragma once

// Fakes of every platform seam, and TestEnv, which installs them all for the
// lifetime of a test. Nothing here sleeps or reads the wall clock: the test
// sets the clock and advances it, and window timers fire as it passes them.

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/Env.h"
#include "platform/ManualTime.h"
#include "tests/support/QtPrinters.h"

namespace testing_support {

class FakeClock : public platform::ManualClock {
public:
    using ManualClock::Set;
    // Takes a wall-clock value ("2024-03-07 10:00:30"); text that is not an
    // ISO date and time throws std::invalid_argument.
    void Set(const QString& isoDateTime);
};

// Window timers driven by the fake clock.
using FakeTimers = platform::ManualTimers;

// Settings in memory, section and key compared without regard to case.
class MemorySettingsStore : public platform::SettingsStore {
public:
    QString GetSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue) override;
    void SaveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value) override;

    // "<appName>.ini (in memory)": what the add-in names in its messages.
    QString Location(const QString& appName) const override;

    std::optional<QString> Value(const QString& appName, const QString& section,
                                 const QString& key) const;
    void Remove(const QString& appName, const QString& section, const QString& key);
    int ReadCount() const { return m_reads; }
    // Makes every write fail with "Permission denied".
    bool failWrites = false;

private:
    static QString Key(const QString& appName, const QString& section, const QString& key);
    QHash<QString, QString> m_values;
    int m_reads = 0;
};

class RecordingMessageBoxes : public platform::MessageBoxes {
public:
    struct Shown {
        QString text;
        QString title;
        bool operator==(const Shown&) const = default;
    };
    void Show(const QString& text, const QString& title) override;
    std::vector<Shown> shown;
    // Runs while the box is "open", as a user would act meanwhile.
    std::function<void(const Shown&)> onShow;
};

// Answers each ShowColor with the next scripted answer (no value = cancel);
// with none left, cancels.
class ScriptedColourChooser : public platform::ColourChooser {
public:
    std::optional<qint32> ShowColor() override;
    std::deque<std::optional<qint32>> answers;
    int shownCount = 0;
};

class RecordingWindowEffects : public platform::WindowEffects {
public:
    void SetForegroundWindow(QWidget* window) override { foreground.push_back(window); }
    void SendKeys(QWidget* window, const QString& keys, bool wait) override;

    std::vector<QWidget*> foreground;
    struct Sent {
        QWidget* window;
        QString keys;
        bool wait;
    };
    std::vector<Sent> sent;
    // Plays the keystroke, when set (a test decides what the window does).
    std::function<void(QWidget*, const QString&)> onKeys;
};

// The real file system, with faults on request.
class FaultyDataFiles : public platform::LocalDataFiles {
public:
    QByteArray ReadAll(const QString& path) override;
    std::unique_ptr<platform::WritableFile> NewWritableFile(const QString& path) override;

    // Reading fails: "Could not read <path>: Input/output error".
    bool failReads = false;
    // Every replacement fails at its first system call of this step, which
    // then returns failErrno without doing anything. FileStep::Write means
    // any write(2), the hand-over at commit included; FileStep::Flush only
    // the hand-over.
    std::optional<platform::FileStep> failStep;
    int failErrno = EIO;
    // The process kills itself (SIGKILL) right after the first system call
    // of this step has been made (matched as failStep is): for a child
    // process that plays a program killed during a save.
    std::optional<platform::FileStep> killAfter;
    // Each write(2) takes at most this many bytes, and every other call is
    // interrupted (EINTR) before it writes anything. 0: whole writes.
    size_t choppyWrites = 0;

    int writesStarted = 0;
    // The steps of the system calls made, in order.
    std::vector<platform::FileStep> steps;

protected:
    int CreateExclusive(const QByteArray& path, int* fd) override;
    int WriteSome(platform::FileStep step, int fd, const char* data, size_t size,
                  size_t* written) override;
    int SyncFile(int fd) override;
    int CloseFile(int fd) override;
    int Rename(const QByteArray& from, const QByteArray& to) override;
    int SyncFolder(const QByteArray& folder) override;

private:
    // The injected failure for a call of this step (0: none), recording it.
    int Before(platform::FileStep step);
    // Kills the process when asked to for this step; passes result through.
    int After(platform::FileStep step, int result);
    bool m_interrupt = false;
};

// Installs all the fakes above, a United States English locale and an empty
// object registry, for as long as it lives.
struct TestEnv {
    TestEnv();

    FakeClock clock;
    FakeTimers timers{clock};
    MemorySettingsStore settings;
    platform::LocaleDates dates{QLocale(QLocale::English, QLocale::UnitedStates)};
    RecordingMessageBoxes messageBoxes;
    ScriptedColourChooser colours;
    RecordingWindowEffects windows;
    platform::ObjectRegistry objects;
    FaultyDataFiles files;
    platform::Env env;

private:
    platform::ScopedEnv m_scope;
    static platform::Env& Wire(TestEnv& self);
};

// The description of the platform::RuntimeError that call() throws, or
// "(no error)" when it returns.
template <class Call>
QString ErrorOf(Call&& call) {
    try {
        call();
    } catch (const platform::RuntimeError& error) {
        return error.description();
    }
    return QStringLiteral("(no error)");
}

// The id of a process that has ended (a child that exited at once and was
// reaped), as a program killed earlier leaves in its temporary files' names.
qint64 EndedProcessId();

// Sets the process's time zone (the TZ variable, e.g. a POSIX rule such as
// "CET-1CEST,M3.5.0,M10.5.0/3", which needs no zone files) for the lifetime
// of the object and restores the previous one.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    void Change(const char* zone);
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<QByteArray> m_previous;
};

// A fresh temporary folder, removed with the object; Path() ends in "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    QString Path() const { return m_path; }
    QString File(const QString& name) const { return m_path + name; }

private:
    QString m_path;
};

}  // namespace testing_support
