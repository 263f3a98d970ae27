#pragma once

// The alarm windows over a reminder collection in a data folder of its own,
// with the substitute engine's global object and an in-memory mailbox behind
// the engine object the windows are given.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "host/engine/HxEngine.h"
#include "host/mail/MailModel.h"
#include "store/CReminderItem.h"
#include "store/CReminderItems.h"
#include "tests/support/EngineFixture.h"
#include "windows/alarm/frmRemind.h"

namespace testing_support {

class AlarmFixture : public EngineFixture {
protected:
    AlarmFixture() {
        // Closing a test's last window must not end anything.
        QApplication::setQuitOnLastWindowClosed(false);
        Globals::m_ReminderItems = std::make_shared<CReminderItems>();
        Globals::m_ReminderItems->Initialize();
        Globals::m_Engine = engineObject;
    }

    // A reminder in the collection, saved to the data file. Dates are texts
    // in the general form; the clock stands at 3/7/2024 10:00:00 AM.
    std::shared_ptr<CReminderItem> AddReminder(const QString& address, const QString& subject,
                                               const QString& reminderDate = "3/7/2024 9:00:00 AM",
                                               const QString& entryId = "E1",
                                               const QString& storeId = "S1") {
        auto reminder = std::make_shared<CReminderItem>();
        reminder->setEmailAddress(address);
        reminder->setSubject(subject);
        reminder->setEntryId(entryId);
        reminder->setStoreId(storeId);
        reminder->setSentDate("3/4/2024 4:30:00 PM");
        reminder->setReminderDate(reminderDate);
        reminder->setNote("call " + address);
        reminder->setColor(0xFF);  // red
        Globals::m_ReminderItems->Add(reminder);
        Globals::m_ReminderItems->SaveData();
        return reminder;
    }

    // A window over the reminder, shown (and so loaded), with its
    // ItemChanged events counted in itemChanged.
    std::unique_ptr<frmRemind> Open(const std::shared_ptr<CReminderItem>& reminder) {
        auto window = std::make_unique<frmRemind>();
        QObject::connect(window.get(), &frmRemind::ItemChanged, [this] { ++itemChanged; });
        window->setEngine(engineObject);
        window->setMyReminderInstance(reminder);
        window->show();
        return window;
    }

    // Lets the moment pass in which a window that just came to the front
    // takes no keys. The clock is put back where it stood, so that the
    // dates a test expects do not depend on how often it typed.
    void PastInputGuard() {
        const QDateTime now = env.clock.Now();
        env.timers.Advance(InputGuard::kGuardMs);
        env.clock.Set(now);
    }

    template <class T>
    static T* Control(QWidget* window, const char* name) {
        T* control = window->findChild<T*>(QLatin1String(name));
        if (!control)
            ADD_FAILURE() << "no control named " << name;
        return control;
    }
    static QPushButton* Button(QWidget* window, const char* name) {
        return Control<QPushButton>(window, name);
    }
    static QComboBox* SnoozeList(QWidget* window) {
        return Control<QComboBox>(window, "cboSnooze");
    }
    static QPlainTextEdit* Note(QWidget* window) {
        return Control<QPlainTextEdit>(window, "txtNote");
    }
    static QString LabelText(QWidget* window, const char* name) {
        return Control<QLabel>(window, name)->text();
    }

    QByteArray DataFileBytes() const {
        QFile file(DataFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    std::shared_ptr<host::MailModel> model = host::MailModel::Create();
    std::shared_ptr<host::HxEngine> engineObject =
        std::make_shared<host::HxEngine>(model->Application());
    int itemChanged = 0;
};

}  // namespace testing_support
