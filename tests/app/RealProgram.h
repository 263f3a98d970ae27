#pragma once

// The program run as a process of its own, as a user starts it: offscreen,
// with its settings in a folder of the test's, in the language asked for.
// What another process does arrives through its output; each wait is bounded
// only so that a broken program fails the test instead of hanging it.

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "tests/support/FakeEnv.h"

namespace app_testing {

class RealProgram {
public:
    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
        // The lines of err, without the display plugin's own remarks.
        QStringList ErrLines() const {
            QStringList lines;
            for (const QString& line : err.split(u'\n', Qt::SkipEmptyParts))
                if (!line.startsWith("This plugin does not support"))
                    lines << line;
            return lines;
        }
    };

    // lang: the LANG the program starts with (no other locale variable set).
    explicit RealProgram(const testing_support::TempFolder& home,
                         const QString& lang = QStringLiteral("en_US.UTF-8")) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : environment.keys())
            if (name.startsWith("LC_") || name == "LANGUAGE")
                environment.remove(name);
        environment.insert("LANG", lang);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", home.File("config"));
        environment.insert("XDG_DATA_HOME", home.File("data"));
        // A runtime folder of its own, as a desktop session gives one.
        const QString runtime = home.File("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("XDG_RUNTIME_DIR", runtime);
        m_process.setProcessEnvironment(environment);
    }
    ~RealProgram() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    void Start(const QStringList& arguments) {
        m_process.start(QStringLiteral(CHASEWELL_PROGRAM), arguments);
        ASSERT_TRUE(m_process.waitForStarted()) << m_process.errorString().toStdString();
    }
    // Runs to its end, with standard input closed at once.
    Result Run(const QStringList& arguments) {
        Start(arguments);
        m_process.closeWriteChannel();
        return Finish();
    }
    // The same for another command in the program's environment (a shell
    // that prepares something first); CHASEWELL_PROGRAM names the program.
    Result RunCommand(const QString& command, const QStringList& arguments) {
        QProcessEnvironment environment = m_process.processEnvironment();
        environment.insert("CHASEWELL_PROGRAM", QStringLiteral(CHASEWELL_PROGRAM));
        m_process.setProcessEnvironment(environment);
        m_process.start(command, arguments);
        EXPECT_TRUE(m_process.waitForStarted()) << m_process.errorString().toStdString();
        m_process.closeWriteChannel();
        return Finish();
    }
    // Waits until the program printed a line holding text (a script's
    // "say"); false when it ended first.
    bool WaitForOutput(const QString& text) {
        const QDeadlineTimer deadline(60000);
        while (!m_out.contains(text)) {
            if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(int(deadline.remainingTime()));
            m_out += QString::fromUtf8(m_process.readAllStandardOutput());
        }
        return true;
    }
    // A line on standard input: a script waiting for input goes on.
    void Input(const QByteArray& line) { m_process.write(line + '\n'); }
    Result Finish() {
        m_process.closeWriteChannel();
        m_process.waitForFinished(120000);
        Result result;
        result.exitCode =
            m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        result.out = m_out + QString::fromUtf8(m_process.readAllStandardOutput());
        result.err = QString::fromUtf8(m_process.readAllStandardError());
        return result;
    }
    // Ends it as a crash or kill -9 would.
    void Kill() {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 ProcessId() const { return m_process.processId(); }

    // A file's bytes as the program left them; "<none>" when there is none.
    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

    static void WriteScript(const QString& path, const QByteArray& lines) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines);
    }

private:
    QProcess m_process;
    QString m_out;
};

}  // namespace app_testing
