#include "platform/ObjectRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/FakeEnv.h"

namespace {

using platform::ObjectRegistry;
using testing_support::ErrorOf;

class Thing : public platform::ComObject {
public:
    QString TypeName() const override { return "Thing"; }
};

class Other : public platform::ComObject {
public:
    QString TypeName() const override { return "Other"; }
};

TEST(ObjectRegistryTest, CreatesRegisteredObjectsByNameInAnyLetterCase) {
    ObjectRegistry registry;
    int made = 0;
    registry.Register("QxOutlook.QxSafeMailItem", [&] {
        ++made;
        return std::make_shared<Thing>();
    });
    EXPECT_TRUE(registry.IsRegistered("qxoutlook.qxsafemailitem"));
    auto first = registry.CreateObject("QxOutlook.QxSafeMailItem");
    auto second = registry.CreateObjectAs<Thing>("QXOUTLOOK.QXSAFEMAILITEM");
    EXPECT_EQ(first->TypeName(), "Thing");
    EXPECT_NE(first, second);  // a new object each time
    EXPECT_EQ(made, 2);

    registry.Register("QxOutlook.QxSafeMailItem", [] { return std::make_shared<Other>(); });
    EXPECT_EQ(registry.CreateObject("QxOutlook.QxSafeMailItem")->TypeName(), "Other");
    registry.Unregister("QXOUTLOOK.qxsafemailitem");
    EXPECT_FALSE(registry.IsRegistered("QxOutlook.QxSafeMailItem"));
}

TEST(ObjectRegistryTest, FailuresReadLikeAMissingComponent) {
    ObjectRegistry registry;
    const char* cantCreate = "ActiveX component can't create object";
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Nobody.Registered"); }), cantCreate);

    registry.Register("Returns.Nothing", [] { return platform::ObjectRef(); });
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Returns.Nothing"); }), cantCreate);

    registry.Register("Throws.Std", []() -> platform::ObjectRef {
        throw std::runtime_error("constructor failed");
    });
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Throws.Std"); }), cantCreate);

    // The component's own error reaches the caller unchanged.
    registry.Register("Throws.Runtime", []() -> platform::ObjectRef {
        throw platform::RuntimeError::PermissionDenied();
    });
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Throws.Runtime"); }), "Permission denied");

    registry.Register("Empty.Factory", ObjectRegistry::Factory());
    EXPECT_FALSE(registry.IsRegistered("Empty.Factory"));
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Empty.Factory"); }), cantCreate);

    registry.Register("A.Thing", [] { return std::make_shared<Thing>(); });
    EXPECT_EQ(ErrorOf([&] { registry.CreateObjectAs<Other>("A.Thing"); }), "Type mismatch");
}

TEST(ObjectRegistryTest, AFactoryMayChangeTheRegistryWhileItRuns) {
    ObjectRegistry registry;
    registry.Register("Once.Only", [&registry] {
        registry.Unregister("Once.Only");
        return std::make_shared<Thing>();
    });
    EXPECT_EQ(registry.CreateObject("Once.Only")->TypeName(), "Thing");
    EXPECT_FALSE(registry.IsRegistered("Once.Only"));
}

TEST(ObjectRegistryTest, EverySpellingFollowsTheRegistrationsAsTheyChange) {
    ObjectRegistry registry;
    // Asked for before anyone registered it, then registered: found.
    EXPECT_FALSE(registry.IsRegistered("Late.Thing"));
    registry.Register("LATE.THING", [] { return std::make_shared<Thing>(); });
    EXPECT_EQ(registry.CreateObject("Late.Thing")->TypeName(), "Thing");
    registry.Unregister("late.thing");
    EXPECT_EQ(ErrorOf([&] { registry.CreateObject("Late.Thing"); }),
              "ActiveX component can't create object");

    // However many spellings are used, each finds the one registration.
    registry.Register("Many.Spellings", [] { return std::make_shared<Other>(); });
    const QString name = "many.spellings";
    for (int bits = 0; bits < 200; ++bits) {
        QString spelling = name;
        for (int i = 0; i < 8; ++i)
            if (bits & (1 << i))
                spelling[i] = spelling[i].toUpper();
        ASSERT_EQ(registry.CreateObject(spelling)->TypeName(), "Other") << spelling.toStdString();
    }
}

}  // namespace
