// Addresses as Thunderbird hands them over: a name and an address, quoted
// names with commas, several in one field; and what is no address at all.

#include <gtest/gtest.h>

#include "host/thunderbird/TbAddresses.h"
#include "tests/support/QtPrinters.h"

namespace {

using host::thunderbird::AddressOf;
using host::thunderbird::SplitMailboxes;

TEST(TbAddressesTest, AFieldSplitsAtTheCommasBetweenMailboxesOnly) {
    EXPECT_EQ(SplitMailboxes("\"Lee, Sam\" <sam@example.com>, pat@example.com ,, "),
              (QStringList{"\"Lee, Sam\" <sam@example.com>", "pat@example.com"}));
    EXPECT_EQ(SplitMailboxes("Kim (work, mostly) <kim@example.com>"),
              QStringList{"Kim (work, mostly) <kim@example.com>"});
    EXPECT_EQ(SplitMailboxes("\"a \\\" quote, still\" <q@example.com>"),
              QStringList{"\"a \\\" quote, still\" <q@example.com>"});
    EXPECT_EQ(SplitMailboxes(""), QStringList());
}

TEST(TbAddressesTest, TheAddressIsThePlainAddressOfTheMailbox) {
    EXPECT_EQ(AddressOf("Pat Jones <pat@example.com>"), "pat@example.com");
    EXPECT_EQ(AddressOf("\"Jones <not this>\" < pat@example.com >"), "pat@example.com");
    EXPECT_EQ(AddressOf("  pat@example.com "), "pat@example.com");
    EXPECT_EQ(AddressOf("(Pat) pat@example.com"), "pat@example.com");
    // A bracket never closed (found by fuzzing: the whole text, quotes and
    // all, was taken for the address).
    EXPECT_EQ(AddressOf("\"Lee, Sam\" <sam@example.com"), "sam@example.com");
    // No address to remind.
    EXPECT_EQ(AddressOf("Team:;"), "");
    EXPECT_EQ(AddressOf("Pat Jones"), "");
    EXPECT_EQ(AddressOf("Pat pat@example.com"), "");
    EXPECT_EQ(AddressOf("<pat@example.com, kim@example.com>"), "");
    EXPECT_EQ(AddressOf("<>"), "");
}

}  // namespace
