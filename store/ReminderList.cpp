#include "store/ReminderList.h"

#include "store/CReminderItem.h"

namespace store {

ReminderList::ReminderList() : m_changes(ChangeSignal::Create()) {}

ReminderList::~ReminderList() {
    for (const Reminder& reminder : m_items) Untie(reminder);
}

void ReminderList::Untie(const Reminder& reminder) const {
    // Held by another list meanwhile: that one's tie stays.
    if (reminder && reminder->m_changes.lock() == m_changes)
        reminder->m_changes.reset();
}

void ReminderList::push_back(const Reminder& reminder) {
    m_items.push_back(reminder);
    if (reminder)
        reminder->m_changes = m_changes;
    m_changes->Emit();
}

ReminderList::const_iterator ReminderList::erase(const_iterator position) {
    // Kept until it is out of the list: the caller's reference may be to the
    // very pointer erased.
    const Reminder leaving = *position;
    const auto next = m_items.erase(position);
    Untie(leaving);
    const auto index = next - m_items.begin();
    m_changes->Emit();
    return m_items.begin() + index;
}

void ReminderList::clear() {
    if (m_items.empty())
        return;
    for (const Reminder& reminder : m_items) Untie(reminder);
    m_items.clear();
    m_changes->Emit();
}

}  // namespace store
