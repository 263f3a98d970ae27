// Registering the Thunderbird host for the user: the manifest Thunderbird
// reads, registering again, and a manifest of someone else's left alone.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "host/app/ThunderbirdRegistration.h"
#include "tests/support/FakeEnv.h"

namespace {

using host::app::RegisterThunderbird;

class ThunderbirdRegistrationTest : public ::testing::Test {
protected:
    ThunderbirdRegistrationTest() {
        QFile program(host);
        program.open(QIODevice::WriteOnly);
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Manifest() const {
        return home.Path() + ".mozilla/native-messaging-hosts/com.tandrelsoftware.chasewell.json";
    }
    QByteArray ManifestBytes() const {
        QFile file(Manifest());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void WriteManifest(const QByteArray& bytes) {
        QDir().mkpath(home.Path() + ".mozilla/native-messaging-hosts");
        QFile file(Manifest());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString NextStep() const {
        return "\nNext, install the Chasewell extension in Thunderbird: open Tools > Add-ons and "
               "Themes, choose Install Add-on From File... in the gear menu, and pick\n  " +
               package + "\nThen restart Thunderbird; Chasewell starts with it from then on.\n";
    }

    testing_support::TestEnv env;
    testing_support::TempFolder home;
    testing_support::TempFolder install;
    QString host = install.File("chasewell-thunderbird-host");
    QString package = install.File("chasewell.xpi");
};

TEST_F(ThunderbirdRegistrationTest, WritesTheManifestThunderbirdReadsAndSaysWhatToDoNext) {
    QFile(package).open(QIODevice::WriteOnly);
    const auto result = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_TRUE(result.registered);
    EXPECT_EQ(result.text, "Chasewell is registered with Thunderbird: " + Manifest() + " names " +
                               host + ".\n" + NextStep());
    const QJsonObject manifest = QJsonDocument::fromJson(ManifestBytes()).object();
    EXPECT_EQ(manifest.value("name").toString(), "com.tandrelsoftware.chasewell");
    EXPECT_EQ(manifest.value("path").toString(), host);
    EXPECT_EQ(manifest.value("type").toString(), "stdio");
    EXPECT_EQ(manifest.value("allowed_extensions").toArray(),
              QJsonArray{"chasewell@tandrelsoftware.com"});

    // Again: harmless, nothing changes.
    const QByteArray before = ManifestBytes();
    const auto again = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_TRUE(again.registered);
    EXPECT_EQ(again.text, "Chasewell was already registered with Thunderbird (" + Manifest() +
                              " names " + host + "); nothing changed.\n" + NextStep());
    EXPECT_EQ(ManifestBytes(), before);
}

TEST_F(ThunderbirdRegistrationTest, ChasewellsOwnOlderRegistrationIsReplacedAndSaid) {
    WriteManifest(R"({"name": "com.tandrelsoftware.chasewell", "path":
        "/opt/old/lib/chasewell/chasewell-thunderbird-host", "type": "stdio",
        "allowed_extensions": ["chasewell@tandrelsoftware.com"]})");
    const auto result = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_TRUE(result.registered);
    EXPECT_TRUE(result.text.startsWith(
        "Chasewell is registered with Thunderbird: " + Manifest() + " now names " + host +
        " (it named /opt/old/lib/chasewell/chasewell-thunderbird-host before).\n"));
    // The package is missing here: said, not hidden.
    EXPECT_TRUE(
        result.text.endsWith("(The extension package is not there: build or install "
                             "Chasewell completely first.)\n"));
    EXPECT_EQ(QJsonDocument::fromJson(ManifestBytes()).object().value("path").toString(), host);
}

TEST_F(ThunderbirdRegistrationTest, AManifestOfSomeoneElsesIsNeverOverwritten) {
    const QByteArray theirs = R"({"name": "com.tandrelsoftware.chasewell", "path":
        "/usr/bin/other-tool", "type": "stdio", "allowed_extensions": ["other@example.com"]})";
    WriteManifest(theirs);
    const auto result = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_FALSE(result.registered);
    EXPECT_EQ(result.text, Manifest() +
                               " is not Chasewell's: it names /usr/bin/other-tool. It was left as "
                               "it is. If the program it belongs to is gone, remove the file and "
                               "run chasewell --register-thunderbird again.\n");
    EXPECT_EQ(ManifestBytes(), theirs);

    WriteManifest("not json at all");
    const auto unreadable = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_FALSE(unreadable.registered);
    EXPECT_TRUE(unreadable.text.contains("it cannot be read as a manifest of Chasewell"));
    EXPECT_EQ(ManifestBytes(), "not json at all");
}

TEST_F(ThunderbirdRegistrationTest, AMissingHostOrAFailedWriteIsSaidAndNothingIsLeft) {
    const auto missing =
        RegisterThunderbird(home.Path().chopped(1), install.File("nothing-here"), package);
    EXPECT_FALSE(missing.registered);
    EXPECT_EQ(missing.text,
              "The Chasewell host for Thunderbird is not there: " + install.File("nothing-here") +
                  " is missing. Build or install Chasewell completely first.\n");
    EXPECT_EQ(ManifestBytes(), "<missing>");

    env.files.failStep = platform::FileStep::Write;
    env.files.failErrno = ENOSPC;
    const auto full = RegisterThunderbird(home.Path().chopped(1), host, package);
    EXPECT_FALSE(full.registered);
    EXPECT_EQ(full.text, "Could not write " + Manifest() + ": No space left on device.\n");
    EXPECT_EQ(ManifestBytes(), "<missing>");
}

}  // namespace
