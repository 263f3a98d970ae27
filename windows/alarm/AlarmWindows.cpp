#include "windows/alarm/AlarmWindows.h"

#include <utility>

#include "platform/Env.h"

AlarmWindows::~AlarmWindows() {
    delete m_shared;
    for (const QPointer<frmRemind>& window : m_opened) delete window;
}

void AlarmWindows::ShowNew(const std::shared_ptr<engine::IEngine>& engine,
                           const std::shared_ptr<CReminderItem>& reminder) {
    // Forget the windows already gone.
    std::erase_if(m_opened, [](const QPointer<frmRemind>& window) { return window.isNull(); });
    auto* window = new frmRemind;
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_opened.emplace_back(window);
    window->setEngine(engine);
    window->setMyReminderInstance(reminder);
    window->show();
}

void AlarmWindows::ShowShared(const std::shared_ptr<engine::IEngine>& engine,
                              const std::shared_ptr<CReminderItem>& reminder) {
    if (!m_shared)
        m_shared = new frmRemind;
    if (m_shared->IsLoaded()) {
        if (m_shared->MyReminderInstance() == reminder) {
            m_shared->BringToFront();
            return;
        }
        m_shared->close();
    }
    m_shared->setEngine(engine);
    m_shared->setMyReminderInstance(reminder);
    m_shared->show();
}

void AlarmWindows::UnloadAll() {
    if (m_shared && m_shared->IsLoaded())
        m_shared->close();
    // Closing deletes these windows; work on a copy of the list.
    const std::vector<QPointer<frmRemind>> opened = std::exchange(m_opened, {});
    for (const QPointer<frmRemind>& window : opened)
        if (window && window->IsLoaded())
            window->close();
}

RemindMultipleWindows::~RemindMultipleWindows() {
    delete m_window;
}

void RemindMultipleWindows::Show(const std::shared_ptr<engine::IEngine>& engine) {
    if (!m_window)
        m_window = new frmRemindMultiple;
    m_window->setEngine(engine);
    if (m_window->IsLoaded() && m_window->isVisible()) {
        m_window->BringToFront();
        return;
    }
    const bool loaded = m_window->IsLoaded();
    // Loaded here rather than by show(), so that a failure reaches the
    // caller's report instead of passing through the toolkit.
    m_window->Load();
    m_window->show();
    // Loading brought it to the front; a window loaded before (whose load
    // failed half-way) is brought there now.
    if (loaded)
        m_window->BringToFront();
}

void RemindMultipleWindows::Unload() {
    if (m_window)
        m_window->Unload();
}
