#pragma once

#include <memory>
#include <vector>

#include "store/ChangeSignal.h"

class CReminderItem;

namespace store {

// The collection's ordered list of reminders. Every change of which
// reminders it holds (one added, one taken out, all dropped) is told through
// its signal, and so is every change of a value of a reminder while the list
// holds it: each reminder added is tied to the signal, and untied when it
// leaves. So whoever shows the reminders hears of every change, whichever
// window, timer or reply made it, without each of them having to say so.
//
// The reading side is a vector's; elements cannot be replaced in place.
class ReminderList {
public:
    using Reminder = std::shared_ptr<CReminderItem>;
    using const_iterator = std::vector<Reminder>::const_iterator;

    ReminderList();
    // Unties every reminder it holds (they may outlive the list).
    ~ReminderList();
    ReminderList(const ReminderList&) = delete;
    ReminderList& operator=(const ReminderList&) = delete;

    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }
    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const Reminder& operator[](size_t index) const { return m_items[index]; }

    void push_back(const Reminder& reminder);
    const_iterator erase(const_iterator position);
    void clear();

    ChangeSignal& Changes() const { return *m_changes; }

private:
    void Untie(const Reminder& reminder) const;

    std::vector<Reminder> m_items;
    std::shared_ptr<ChangeSignal> m_changes;
};

}  // namespace store
