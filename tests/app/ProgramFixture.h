#pragma once

// Runs the program in this process, as its main() would after reading the
// command line, on a data folder of its own with the fake platform.

#include <gtest/gtest.h>

#include <QFile>
#include <QTextStream>

#include "host/app/Program.h"
#include "tests/support/FakeEnv.h"

namespace app_tests {

class ProgramFixture : public ::testing::Test {
protected:
    struct Result {
        int exitCode;
        QString out;
        QString err;
    };

    Result RunWith(const QStringList& arguments) {
        QString message;
        int exitCode = -1;
        auto options =
            host::app::ParseArguments(QStringList{"chasewell"} + arguments, message, exitCode);
        if (!options)
            return {exitCode, QString(), message};
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code = host::app::Run(*options, outStream, errStream);
        outStream.flush();
        errStream.flush();
        return {code, out, err};
    }

    static void WriteFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray FileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void WriteDataFile(const QByteArray& bytes) {
        WriteFile(folder.File("ChasewellData.txt"), bytes);
    }

    testing_support::TestEnv env;
    testing_support::TempFolder folder;
};

}  // namespace app_tests
