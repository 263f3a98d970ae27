#include "platform/RuntimeError.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/ComObject.h"
#include "tests/support/FakeEnv.h"

namespace {

using platform::RuntimeError;

TEST(RuntimeErrorTest, NumbersAndDescriptionsReadLikeTheRuntimes) {
    const struct {
        RuntimeError error;
        int number;
        const char* description;
    } cases[] = {
        {RuntimeError::InvalidProcedureCall(), 5, "Invalid procedure call or argument"},
        {RuntimeError::Overflow(), 6, "Overflow"},
        {RuntimeError::SubscriptOutOfRange(), 9, "Subscript out of range"},
        {RuntimeError::TypeMismatch(), 13, "Type mismatch"},
        {RuntimeError::FileNotFound(), 53, "File not found"},
        {RuntimeError::DeviceIOError(), 57, "Device I/O error"},
        {RuntimeError::PermissionDenied(), 70, "Permission denied"},
        {RuntimeError::PathNotFound(), 76, "Path not found"},
        {RuntimeError::ObjectNotSet(), 91, "Object variable or With block variable not set"},
        {RuntimeError::CantCreateObject(), 429, "ActiveX component can't create object"},
        {RuntimeError::NotSupported(), 438, "Object doesn't support this property or method"},
        {RuntimeError::CancelError(), 32755, "Cancel was selected."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error.number(), c.number);
        EXPECT_EQ(c.error.description(), c.description);
        EXPECT_STREQ(c.error.what(), c.description);
    }
    const RuntimeError custom(1004, QString::fromUtf8("Zugriff verweigert: \u00e4"));
    EXPECT_STREQ(custom.what(), "Zugriff verweigert: \xC3\xA4");
}

QString DescriptionOf(const std::function<void()>& raise) {
    try {
        raise();
    } catch (...) {
        return platform::CurrentErrorDescription();
    }
    return "(nothing thrown)";
}

TEST(RuntimeErrorTest, CurrentErrorDescriptionClassifiesWhatIsInFlight) {
    EXPECT_EQ(DescriptionOf([] { throw RuntimeError::Overflow(); }), "Overflow");
    EXPECT_EQ(DescriptionOf([] { throw std::runtime_error("disk on fire"); }), "disk on fire");
    EXPECT_EQ(DescriptionOf([] { throw 42; }), "Unknown error");
    // Outside a handler it must not end the program.
    EXPECT_EQ(platform::CurrentErrorDescription(), "Unknown error");
}

class Plain : public platform::ComObject {
public:
    QString TypeName() const override { return "Plain"; }
};

TEST(ComObjectTest, LateBoundAccessFailsLikeTheRuntime) {
    Plain plain;
    EXPECT_EQ(testing_support::ErrorOf([&] { plain.DefaultMember(); }),
              "Object doesn't support this property or method");
    std::shared_ptr<Plain> none;
    EXPECT_EQ(testing_support::ErrorOf([&] { platform::Deref(none); }),
              "Object variable or With block variable not set");
    auto some = std::make_shared<Plain>();
    EXPECT_EQ(&platform::Deref(some), some.get());
}

}  // namespace
