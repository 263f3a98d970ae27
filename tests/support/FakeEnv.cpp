#include "tests/support/FakeEnv.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <csignal>
#include <stdexcept>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace testing_support {

using platform::RuntimeError;

void FakeClock::Set(const QString& isoDateTime) {
    // Date and time read apart, so the machine's zone cannot move a time that
    // falls in its daylight-saving gap; a typo fails loudly instead of leaving
    // an invalid clock behind.
    const QString text = isoDateTime.trimmed();
    const qsizetype split = text.indexOf(QRegularExpression(QStringLiteral("[T ]")));
    const QDate date = QDate::fromString(split < 0 ? text : text.left(split), Qt::ISODate);
    const QTime time =
        split < 0 ? QTime(0, 0) : QTime::fromString(text.mid(split + 1), Qt::ISODate);
    if (!date.isValid() || !time.isValid())
        throw std::invalid_argument("FakeClock::Set: not an ISO date and time: " +
                                    text.toStdString());
    Set(platform::MakeDateTime(date, time));
}

QString MemorySettingsStore::Key(const QString& appName, const QString& section,
                                 const QString& key) {
    return appName + QChar(0x1F) + section.toLower() + QChar(0x1F) + key.toLower();
}

QString MemorySettingsStore::GetSetting(const QString& appName, const QString& section,
                                        const QString& key, const QString& defaultValue) {
    ++m_reads;
    return m_values.value(Key(appName, section, key), defaultValue);
}

void MemorySettingsStore::SaveSetting(const QString& appName, const QString& section,
                                      const QString& key, const QString& value) {
    if (failWrites)
        throw RuntimeError::PermissionDenied();
    m_values.insert(Key(appName, section, key), value);
}

QString MemorySettingsStore::Location(const QString& appName) const {
    return appName + QStringLiteral(".ini (in memory)");
}

std::optional<QString> MemorySettingsStore::Value(const QString& appName, const QString& section,
                                                  const QString& key) const {
    auto it = m_values.constFind(Key(appName, section, key));
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

void MemorySettingsStore::Remove(const QString& appName, const QString& section,
                                 const QString& key) {
    m_values.remove(Key(appName, section, key));
}

void RecordingMessageBoxes::Show(const QString& text, const QString& title) {
    shown.push_back(Shown{text, title});
    if (onShow)
        onShow(shown.back());
}

std::optional<qint32> ScriptedColourChooser::ShowColor() {
    ++shownCount;
    if (answers.empty())
        return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingWindowEffects::SendKeys(QWidget* window, const QString& keys, bool wait) {
    sent.push_back(Sent{window, keys, wait});
    if (onKeys)
        onKeys(window, keys);
}

QByteArray FaultyDataFiles::ReadAll(const QString& path) {
    if (failReads)
        throw platform::FileError(platform::FileStep::Read, path, EIO);
    return LocalDataFiles::ReadAll(path);
}

std::unique_ptr<platform::WritableFile> FaultyDataFiles::NewWritableFile(const QString& path) {
    ++writesStarted;
    return LocalDataFiles::NewWritableFile(path);
}

namespace {
bool Matches(platform::FileStep made, const std::optional<platform::FileStep>& wanted) {
    using platform::FileStep;
    return wanted && (made == *wanted || (made == FileStep::Flush && *wanted == FileStep::Write));
}
}  // namespace

int FaultyDataFiles::Before(platform::FileStep step) {
    steps.push_back(step);
    return Matches(step, failStep) ? failErrno : 0;
}

int FaultyDataFiles::After(platform::FileStep step, int result) {
    if (Matches(step, killAfter))
        ::raise(SIGKILL);
    return result;
}

int FaultyDataFiles::CreateExclusive(const QByteArray& path, int* fd) {
    if (const int error = Before(platform::FileStep::Create))
        return error;
    return After(platform::FileStep::Create, LocalDataFiles::CreateExclusive(path, fd));
}

int FaultyDataFiles::WriteSome(platform::FileStep step, int fd, const char* data, size_t size,
                               size_t* written) {
    if (const int error = Before(step))
        return error;
    if (choppyWrites > 0) {
        m_interrupt = !m_interrupt;
        if (m_interrupt)
            return EINTR;
        size = std::min(size, choppyWrites);
    }
    return After(step, LocalDataFiles::WriteSome(step, fd, data, size, written));
}

int FaultyDataFiles::SyncFile(int fd) {
    if (const int error = Before(platform::FileStep::Sync))
        return error;
    return After(platform::FileStep::Sync, LocalDataFiles::SyncFile(fd));
}

int FaultyDataFiles::CloseFile(int fd) {
    if (const int error = Before(platform::FileStep::Close)) {
        // A failed close still releases the descriptor.
        LocalDataFiles::CloseFile(fd);
        return error;
    }
    return After(platform::FileStep::Close, LocalDataFiles::CloseFile(fd));
}

int FaultyDataFiles::Rename(const QByteArray& from, const QByteArray& to) {
    if (const int error = Before(platform::FileStep::Rename))
        return error;
    return After(platform::FileStep::Rename, LocalDataFiles::Rename(from, to));
}

int FaultyDataFiles::SyncFolder(const QByteArray& folder) {
    if (const int error = Before(platform::FileStep::SyncFolder))
        return error;
    return After(platform::FileStep::SyncFolder, LocalDataFiles::SyncFolder(folder));
}

platform::Env& TestEnv::Wire(TestEnv& self) {
    self.env.clock = &self.clock;
    self.env.timers = &self.timers;
    self.env.settings = &self.settings;
    self.env.dates = &self.dates;
    self.env.messageBoxes = &self.messageBoxes;
    self.env.colours = &self.colours;
    self.env.windows = &self.windows;
    self.env.objects = &self.objects;
    self.env.files = &self.files;
    return self.env;
}

TestEnv::TestEnv() : m_scope(Wire(*this)) {}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (qEnvironmentVariableIsSet("TZ"))
        m_previous = qgetenv("TZ");
    Change(zone);
}

ScopedTimeZone::~ScopedTimeZone() {
    if (m_previous)
        qputenv("TZ", *m_previous);
    else
        qunsetenv("TZ");
    ::tzset();
}

void ScopedTimeZone::Change(const char* zone) {
    qputenv("TZ", zone);
    ::tzset();
}

qint64 EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    if (child < 0 || ::waitpid(child, nullptr, 0) != child)
        throw std::runtime_error("EndedProcessId: cannot start a process");
    return child;
}

TempFolder::TempFolder() {
    m_path = QDir::tempPath() + "/chasewell-test-" +
             QUuid::createUuid().toString(QUuid::WithoutBraces) + "/";
    QDir().mkpath(m_path);
}

TempFolder::~TempFolder() {
    QDir(m_path).removeRecursively();
}

}  // namespace testing_support
