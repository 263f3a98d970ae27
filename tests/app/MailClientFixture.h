#pragma once

// The program's mail client over a fresh data folder (the sample mailbox)
// with the real add-in started in it, its windows hidden; shared by the
// tests of the program's windows.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

#include "host/app/ComposeWindow.h"
#include "host/app/MailClient.h"
#include "host/app/MainWindow.h"
#include "host/engine/ModuleLoader.h"
#include "host/engine/Registration.h"
#include "host/mailhelper/QxMAPIUtils.h"
#include "platform/QtDialogs.h"
#include "schedule/Globals.h"
#include "schedule/RemindTimer.h"
#include "store/CReminderItems.h"
#include "tests/support/FakeEnv.h"

namespace app_testing {

using host::HostFolder;
using host::HostMailItem;
using host::app::ComposeWindow;
using host::app::MailClient;
using host::app::MainWindow;
using testing_support::TempFolder;
using testing_support::TestEnv;

class MailClientTest : public ::testing::Test {
protected:
    // The mailbox is opened and the engine's classes registered; the add-in
    // is started too unless startNow is false, for a test that prepares the
    // data folder or the log first and then calls Start.
    explicit MailClientTest(bool startNow = true) {
        QString error;
        EXPECT_TRUE(client.OpenMailbox({folder.Path(), QString()}, error)) << error.toStdString();
        host::RegisterEngineClasses(env.objects, client.Global(), client.Log());
        host::RegisterMailHelperClasses(env.objects, client.Model());
        // The add-in's send command presses Ctrl+Enter on the active window;
        // here the keystroke is delivered as the system would deliver it.
        env.windows.onKeys = [](QWidget* window, const QString& keys) {
            platform::QtWindowEffects().SendKeys(window, keys, true);
        };
        if (startNow)
            Start();
    }
    void Start() {
        client.Start(host::LoadModule(QCoreApplication::applicationDirPath() + "/libChasewell.so"),
                     false);
    }
    ~MailClientTest() override {
        client.Stop();
        Globals::m_ReminderItems.reset();
        Globals::m_Engine.reset();
        RemindTimer::AlarmTimerId = 0;
        RemindTimer::NextReminderTime.clear();
    }

    MainWindow& Main() { return *client.Main(); }
    std::shared_ptr<HostFolder> Folder(qint32 type) { return client.Model()->DefaultFolder(type); }
    QAction* Toolbar(const QString& caption) {
        for (QToolBar* bar : {Main().addinToolBar(), Main().toolBar()})
            for (QAction* action : bar->actions())
                if (action->text() == caption)
                    return action;
        return nullptr;
    }
    void ClickFolder(const QString& name) {
        auto found = Main().folderTree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        Main().folderTree()->setCurrentItem(found.front());
    }
    QStringList Column(int column) {
        QStringList texts;
        auto* model = Main().messageList()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }
    QStringList SubjectsIn(const std::shared_ptr<HostFolder>& where) {
        QStringList subjects;
        for (const auto& item : where->Contents()) subjects << item->Subject();
        return subjects;
    }
    std::shared_ptr<HostMailItem> MailIn(const std::shared_ptr<HostFolder>& where,
                                         const QString& subject) {
        for (const auto& item : where->Contents())
            if (item->Subject() == subject)
                return std::dynamic_pointer_cast<HostMailItem>(item);
        return nullptr;
    }
    ComposeWindow* Compose(const QString& to, const QString& subject) {
        ComposeWindow* window = client.NewMessage();
        QApplication::setActiveWindow(window);
        window->to()->setText(to);
        window->subject()->setText(subject);
        return window;
    }
    // Deletes the windows that closed.
    static void DeleteClosed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Runs the event loop until cond holds, for at most ms: what another
    // process does arrives through it.
    template <class Cond>
    static bool WaitFor(Cond cond, int ms = 20000) {
        return QTest::qWaitFor(cond, ms);
    }

    TestEnv env;
    TempFolder folder;
    MailClient client;
};

}  // namespace app_testing
