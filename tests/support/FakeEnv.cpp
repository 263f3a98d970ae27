#include "tests/support/FakeEnv.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <stdexcept>

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
        throw RuntimeError::DeviceIOError();
    return LocalDataFiles::ReadAll(path);
}

namespace {
// Passes appends through to the real file until the limit, then fails.
class FaultyWritableFile : public platform::WritableFile {
public:
    FaultyWritableFile(std::unique_ptr<platform::WritableFile> inner, std::optional<qint64> limit,
                       bool failCommit)
        : m_inner(std::move(inner)), m_limit(limit), m_failCommit(failCommit) {}

    void Append(const QByteArray& bytes) override {
        if (m_limit && m_written + bytes.size() > *m_limit) {
            const qint64 room = *m_limit - m_written;
            if (room > 0)
                m_inner->Append(bytes.left(room));
            m_written = *m_limit;
            throw RuntimeError::DeviceIOError();
        }
        m_inner->Append(bytes);
        m_written += bytes.size();
    }
    void Commit() override {
        if (m_failCommit)
            throw RuntimeError::DeviceIOError();
        m_inner->Commit();
    }

private:
    std::unique_ptr<platform::WritableFile> m_inner;
    std::optional<qint64> m_limit;
    bool m_failCommit;
    qint64 m_written = 0;
};
}  // namespace

std::unique_ptr<platform::WritableFile> FaultyDataFiles::NewWritableFile(const QString& path) {
    ++writesStarted;
    return std::make_unique<FaultyWritableFile>(LocalDataFiles::NewWritableFile(path),
                                                failAppendAfterBytes, failCommit);
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

TempFolder::TempFolder() {
    m_path = QDir::tempPath() + "/chasewell-test-" +
             QUuid::createUuid().toString(QUuid::WithoutBraces) + "/";
    QDir().mkpath(m_path);
}

TempFolder::~TempFolder() {
    QDir(m_path).removeRecursively();
}

}  // namespace testing_support
