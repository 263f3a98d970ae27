#include "windows/manage/ManageWindows.h"

#include "platform/Env.h"
#include "windows/manage/frmDisplayEx.h"
#include "windows/manage/frmViewReminders.h"

ViewRemindersWindows::~ViewRemindersWindows() {
    delete m_window;
}

frmViewReminders& ViewRemindersWindows::Window() {
    if (!m_window)
        m_window = new frmViewReminders;
    return *m_window;
}

void ViewRemindersWindows::Show(const std::shared_ptr<engine::IEngine>& engine) {
    frmViewReminders& window = Window();
    window.setEngine(engine);
    if (window.isVisible()) {
        platform::Windows().SetForegroundWindow(&window);
        return;
    }
    window.show();
}

bool ViewRemindersWindows::IsVisible() {
    return m_window && m_window->isVisible();
}

QWidget* ViewRemindersWindows::Widget() {
    return m_window;
}

void ViewRemindersWindows::FillGrid() {
    Window().FillGrid();
}

void ViewRemindersWindows::Unload() {
    if (m_window)
        m_window->Unload();
}

void ViewRemindersWindows::Drop() {
    delete m_window;
}

DisplayExWindows::~DisplayExWindows() {
    delete m_window;
}

void DisplayExWindows::ShowModal(const QString& nextReminderTime,
                                 const std::shared_ptr<CReminderItem>& reminder) {
    if (!m_window)
        m_window = new frmDisplayEx;
    m_window->setMyNextReminderTime(nextReminderTime);
    m_window->setMyReminderInstance(reminder);
    m_window->exec();
}
