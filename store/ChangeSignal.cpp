#include "store/ChangeSignal.h"

#include <algorithm>

namespace store {

std::shared_ptr<ChangeSignal> ChangeSignal::Create() {
    return std::shared_ptr<ChangeSignal>(new ChangeSignal);
}

ChangeSignal::Connection ChangeSignal::Connect(Callback callback) {
    const int id = m_nextId++;
    m_slots.push_back(Slot{id, std::make_shared<Callback>(std::move(callback))});
    std::weak_ptr<ChangeSignal> signal = weak_from_this();
    // The token's only work is to disconnect when it goes; it holds the id,
    // so that it tests true while connected.
    return std::shared_ptr<int>(new int(id), [signal](int* held) {
        if (auto alive = signal.lock())
            alive->Disconnect(*held);
        delete held;
    });
}

void ChangeSignal::Disconnect(int id) {
    std::erase_if(m_slots, [id](const Slot& slot) { return slot.id == id; });
}

void ChangeSignal::Emit() {
    if (m_slots.empty())
        return;
    // The callbacks as they stand now: one may connect or disconnect others.
    const std::vector<Slot> slots = m_slots;
    for (const Slot& slot : slots) {
        const bool stillConnected = std::any_of(m_slots.begin(), m_slots.end(),
                                                [&](const Slot& s) { return s.id == slot.id; });
        if (!stillConnected)
            continue;
        try {
            (*slot.callback)();
        } catch (...) {
            // The change has happened; a listener's trouble is its own.
        }
    }
}

}  // namespace store
