#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "host/app/ProgramSettings.h"
#include "host/engine/HxGlobal.h"
#include "platform/IniSettingsStore.h"
#include "tests/app/ProgramFixture.h"

namespace {

class ProgramTest : public app_tests::ProgramFixture {};

TEST_F(ProgramTest, PrintsTheRemindersLoadedAndTheCommandsAddedThenStopsTheAddIn) {
    WriteDataFile(
        "EmailAddress: pat@example.com|EntryId: E1|StoreId: S1|SentDate: 3/4/2024 9:15:00 AM|"
        "ReminderDate: 3/9/2024 8:00:00 AM|Color: 255|Subject: Quarterly figures|Note: call\r\n");
    const Result result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "Data file: " + folder.File("ChasewellData.txt") +
                              "\n"
                              "Reminders loaded: 1\n"
                              "  1. pat@example.com  \"Quarterly figures\"  sent 3/4/2024 09:15 AM "
                              " due 3/9/2024 08:00 AM"
                              "  note: call\n"
                              "Next alarm: 3/9/2024 08:00 AM\n"
                              "Commands added: 2\n"
                              "  Explorer (Inbox): 1 \"View Reminders\" (View Chasewell)\n"
                              "  Explorer (Inbox): 4 \"Add Reminders\" (Add Reminders To Emails)\n"
                              "Problems reported: 0\n");
    // The add-in was shut down: its trace reached the log file.
    QFile log(folder.File("Chasewell.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Shutdown: Chasewell is stopping"));
    EXPECT_TRUE(env.timers.ArmedTimers().empty());
}

TEST_F(ProgramTest, ProblemsAreShownAndALibraryThatCannotLoadIsSaidPlainly) {
    WriteDataFile("EmailAddress: pat@example.com|Color: red\r\n");
    Result result = RunWith({"--print", "--data-folder", folder.Path()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(
        result.out.contains("Problems reported: 1\n  Chasewell.CReminderItem.LoadData (flag 1): "
                            "Error occurred loading reminder data.  Reason: Type mismatch\n"))
        << result.out.toStdString();

    result =
        RunWith({"--print", "--data-folder", folder.Path(), "--module", folder.File("missing.so")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.startsWith("Cannot load the module library \"" +
                                      folder.File("missing.so") + "\"."))
        << result.err.toStdString();
}

TEST_F(ProgramTest, WithoutAReachableDisplayTheProgramSaysSoInOneLine) {
    const auto run = [](const QString& display) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        program.setProcessEnvironment(environment);
        program.start(QCoreApplication::applicationDirPath() + "/chasewell", {});
        EXPECT_TRUE(program.waitForFinished(60000));
        return std::make_pair(program.exitCode(),
                              QString::fromUtf8(program.readAllStandardError()));
    };
    const QString advice =
        ". Run it offscreen and print to the terminal instead: QT_QPA_PLATFORM=offscreen "
        "chasewell --print (or --script FILE to perform a script)\n";
    EXPECT_EQ(run(QString()), std::make_pair(1, "No display is available" + advice));
    // A display that is named but gone (an ended remote session): the same
    // one line, not an abort with a page of plugin advice.
    EXPECT_EQ(
        run(":97"),
        std::make_pair(1, "No display is available (the display :97 cannot be reached)" + advice));
}

TEST_F(ProgramTest, ArgumentsAreCheckedWithUsage) {
    Result result = RunWith({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.err.startsWith("Usage: chasewell"));
    result = RunWith({"--frobnicate"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.startsWith("Unknown argument: --frobnicate\n\nUsage:"));
    result = RunWith({"--data-folder"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.startsWith("--data-folder needs a value."));
}

TEST_F(ProgramTest, TheSendmailCommandIsRememberedInTheProgramsOwnSettingsUntilChanged) {
    const auto remembered = [this] {
        return env.settings.Value(host::app::kProgramSettingsName, "Delivery", "SendmailCommand")
            .value_or("<missing>");
    };
    EXPECT_EQ(RunWith({"--print", "--data-folder", folder.Path(), "--sendmail",
                       "msmtp -C '/home/me/my rc' -t"})
                  .exitCode,
              0);
    EXPECT_EQ(remembered(), "msmtp -C '/home/me/my rc' -t");
    EXPECT_EQ(host::app::SendmailCommand(), "msmtp -C '/home/me/my rc' -t");
    // Not among the add-in's settings.
    EXPECT_EQ(env.settings.Value(host::kSettingsApplicationName, "Delivery", "SendmailCommand"),
              std::nullopt);
    EXPECT_EQ(RunWith({"--print", "--data-folder", folder.Path()}).exitCode, 0);
    EXPECT_EQ(remembered(), "msmtp -C '/home/me/my rc' -t") << "kept";
    EXPECT_EQ(RunWith({"--print", "--data-folder", folder.Path(), "--sendmail", ""}).exitCode, 0);
    EXPECT_EQ(remembered(), "") << "forgotten";
    // A script keeps its settings in its data folder.
    QFile script(folder.File("empty.script"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.close();
    EXPECT_EQ(RunWith({"--data-folder", folder.Path(), "--sendmail", "msmtp -t", "--script",
                       folder.File("empty.script")})
                  .exitCode,
              0);
    EXPECT_EQ(platform::IniSettingsStore(folder.Path())
                  .GetSetting(host::app::kProgramSettingsName, "Delivery", "SendmailCommand", ""),
              "msmtp -t");
    EXPECT_EQ(remembered(), "");
    EXPECT_TRUE(RunWith({"--help"}).err.contains("--sendmail CMD"));
}

TEST_F(ProgramTest, TheFromAddressIsOnePlainAddressRememberedUntilChanged) {
    const auto remembered = [this] {
        return env.settings.Value(host::app::kProgramSettingsName, "Delivery", "FromAddress")
            .value_or("<missing>");
    };
    EXPECT_EQ(RunWith({"--print", "--data-folder", folder.Path(), "--from",
                       " robin.user@mail.example.org "})
                  .exitCode,
              0);
    EXPECT_EQ(remembered(), "robin.user@mail.example.org");
    EXPECT_EQ(host::app::FromAddress(), "robin.user@mail.example.org");

    // Anything that is not one plain address is refused and nothing changes:
    // a line break would start a header line of its own.
    for (const QString bad :
         {"robin", "Robin <robin@example.org>", "robin@example.org\r\nBcc: eve@example.org",
          "a@b.org, c@d.org", "robin@@example.org", "robin@example..org "}) {
        const Result result = RunWith({"--print", "--data-folder", folder.Path(), "--from", bad});
        EXPECT_EQ(result.exitCode, 2) << bad.toStdString();
        EXPECT_TRUE(
            result.err.startsWith("--from needs one plain mail address such as "
                                  "pat.jones@example.com, not \"" +
                                  bad + "\".\n\nUsage:"))
            << result.err.toStdString();
    }
    EXPECT_EQ(remembered(), "robin.user@mail.example.org");

    // A settings file edited into something else is not used.
    env.settings.SaveSetting(host::app::kProgramSettingsName, "Delivery", "FromAddress",
                             "robin@example.org\nBcc: eve@example.org");
    EXPECT_EQ(host::app::FromAddress(), "");
    EXPECT_EQ(RunWith({"--print", "--data-folder", folder.Path(), "--from", ""}).exitCode, 0);
    EXPECT_EQ(remembered(), "") << "forgotten";
    EXPECT_TRUE(RunWith({"--help"}).err.contains("--from ADDRESS"));
}

int FilesIn(const QString& dir) {
    return static_cast<int>(QDir(dir).entryList(QDir::Files).size());
}

TEST_F(ProgramTest, TheFirstStartSeedsTheSampleMailboxOnDiskAndASecondStartKeepsIt) {
    ASSERT_EQ(RunWith({"--print", "--data-folder", folder.Path()}).exitCode, 0);
    const QString mail = folder.File("Mail/");
    EXPECT_EQ(FilesIn(mail + "Sent Items/cur"), 3);
    EXPECT_EQ(FilesIn(mail + "Inbox/cur"), 2);
    EXPECT_EQ(FilesIn(mail + "Projects/cur"), 1);
    EXPECT_TRUE(QDir(mail + "Drafts/tmp").exists());
    // Not seeded twice; nothing lost.
    ASSERT_EQ(RunWith({"--print", "--data-folder", folder.Path()}).exitCode, 0);
    EXPECT_EQ(FilesIn(mail + "Sent Items/cur"), 3);
    EXPECT_EQ(FilesIn(mail + "Inbox/cur"), 2);
    EXPECT_EQ(FilesIn(mail + "Projects/cur"), 1);
}

TEST_F(ProgramTest, AnExistingMaildirTreeIsOpenedOrItsAbsenceSaidPlainly) {
    QDir().mkpath(folder.File("tree/INBOX/cur"));
    Result result =
        RunWith({"--print", "--data-folder", folder.Path(), "--maildir", folder.File("tree")});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(QDir(folder.File("tree/Sent Items/cur")).exists());
    // The data folder got no mailbox of its own.
    EXPECT_FALSE(QDir(folder.File("Mail")).exists());
    result = RunWith({"--print", "--data-folder", folder.Path(), "--maildir", folder.File("none")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, folder.File("none") +
                              " holds no Maildir Inbox: expected INBOX/ or Inbox/, or cur/ and "
                              "new/ in the folder itself.\n");
}

TEST_F(ProgramTest, AScriptStopsAtTheFirstLineThatDoesNotHoldAndSaysWhich) {
    const QString script = folder.File("check.script");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "# a comment\n\nexpect reminders 0\nexpect folder Inbox contains Welcome to "
        "your new mailbox\nexpect reminders 3\nexpect reminders 0\n");
    file.close();
    Result result = RunWith({"--data-folder", folder.Path(), "--script", script});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, script + ":5: expect reminders 3\n  There are 0 reminders.\n");

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("frobnicate now\n");
    file.close();
    result = RunWith({"--data-folder", folder.Path(), "--script", script});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, script + ":1: frobnicate now\n  Unknown action.\n");
    EXPECT_EQ(RunWith({"--script", folder.File("missing")}).exitCode, 3);
}

}  // namespace
