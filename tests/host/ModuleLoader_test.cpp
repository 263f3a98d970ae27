#include "host/engine/ModuleLoader.h"
#include "host/engine/PropLoader.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>

namespace {

// Libraries are built beside the test program.
QString BuiltLibrary(const QString& name) {
    return QCoreApplication::applicationDirPath() + "/lib" + name + ".so";
}

TEST(ModuleLoaderTest, AMissingLibraryIsNamedWithTheLoadersReason) {
    try {
        host::LoadModule("/nonexistent/libChasewell.so");
        FAIL() << "loaded";
    } catch (const host::ModuleLoadError& error) {
        EXPECT_EQ(error.message(),
                  "Cannot load the module library \"/nonexistent/libChasewell.so\".");
        EXPECT_FALSE(error.detail().isEmpty());
        EXPECT_EQ(QString::fromStdString(error.what()),
                  error.message() + " (" + error.detail() + ")");
    }
}

TEST(ModuleLoaderTest, ALibraryWithoutTheFactoryIsRefused) {
    const QString path = BuiltLibrary("ChasewellPlatform");
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    try {
        host::LoadModule(path);
        FAIL() << "loaded";
    } catch (const host::ModuleLoadError& error) {
        EXPECT_EQ(
            QString::fromStdString(error.what()),
            "The module library \"" + path + "\" has no module factory Chasewell_CreateModule.");
    }
}

TEST(ModuleLoaderTest, TheAddInLibraryGivesItsModule) {
    const QString path = BuiltLibrary("Chasewell");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "the Chasewell library is not built";
    auto module = host::LoadModule(path);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->RegistryName(), "Chasewell");
}

TEST(PropLoaderTest, TheOptionsPageLibraryGivesItsPageAsAChildOfTheParent) {
    const QString path = BuiltLibrary("ChasewellProp");
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    QWidget dialog;
    engine::PropertyPage* page = host::LoadPropertyPage(path, &dialog);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Widget()->parent(), &dialog);
    EXPECT_EQ(page->Widget()->objectName(), "UC1");
    EXPECT_EQ(page->SendPropMessage("Hello", QVariant()), "ok");
}

TEST(PropLoaderTest, ALibraryThatIsMissingOrHasNoPageFactoryIsSaidPlainly) {
    try {
        host::LoadPropertyPage("/nonexistent/libChasewellProp.so", nullptr);
        FAIL() << "loaded";
    } catch (const host::ModuleLoadError& error) {
        EXPECT_EQ(error.message(),
                  "Cannot load the property page library \"/nonexistent/libChasewellProp.so\".");
        EXPECT_FALSE(error.detail().isEmpty());
    }
    const QString path = BuiltLibrary("ChasewellPlatform");
    try {
        host::LoadPropertyPage(path, nullptr);
        FAIL() << "loaded";
    } catch (const host::ModuleLoadError& error) {
        EXPECT_EQ(QString::fromStdString(error.what()),
                  "The property page library \"" + path +
                      "\" has no page factory ChasewellProp_CreatePage.");
    }
}

}  // namespace
