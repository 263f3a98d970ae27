// The scripted mode on a real full disk: a line that cannot do what it says
// fails as a line of the script, saying why, instead of ending the program.

#include <gtest/gtest.h>

#include <QDir>

#include "tests/app/RealProgram.h"

namespace {

using app_testing::RealProgram;
using testing_support::TempFolder;

// A 256 KiB file system for the data folder, in a mount namespace of the
// shell's own (so it goes with the shell), filled up after a first run has
// made the mailbox; mounting needs the superuser.
TEST(ScriptOnAFullDiskTest, ASettingThatCannotBeSavedFailsItsLineAndSaysWhy) {
    TempFolder home;
    const QString data = home.File("data");
    QDir().mkpath(data);
    RealProgram::WriteScript(home.File("first.script"), "expect reminders 0\n");
    RealProgram::WriteScript(home.File("second.script"),
                             "# the disk is full now\n"
                             "setting Days 3\n"
                             "expect reminders 0\n");
    RealProgram program(home);
    const auto result = program.RunCommand(
        "unshare", {"--mount", "sh", "-c",
                    "mount -t tmpfs -o size=256k tmpfs \"$1\" || exit 77\n"
                    "\"$CHASEWELL_PROGRAM\" --data-folder \"$1\" --script \"$2\" || exit 78\n"
                    "dd if=/dev/zero of=\"$1/filler\" bs=4k 2>/dev/null\n"
                    "exec \"$CHASEWELL_PROGRAM\" --data-folder \"$1\" --script \"$3\"",
                    "sh", data, home.File("first.script"), home.File("second.script")});
    if (result.exitCode == 77 || (result.exitCode != 1 && result.err.contains("unshare")))
        GTEST_SKIP() << "cannot mount a small file system here: " << result.err.toStdString();
    ASSERT_NE(result.exitCode, 78) << "the first run failed: " << result.err.toStdString();
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(home.File("second.script") +
                                    ":2: setting Days 3\n  The setting could not be saved: Could "
                                    "not write " +
                                    data + "/TandrelSoftware.ini: No space left on device\n"))
        << result.err.toStdString();
}

}  // namespace
