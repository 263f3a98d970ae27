#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace store {

// Tells whoever connected that something changed. Connect returns a token
// (which tests true): the callback stays connected for as long as the token
// lives, and the token may outlive the signal. Callbacks run at once, in the order connected, from
// inside the change; one may connect or disconnect others (itself too) while
// it runs. A callback that throws stops no other and is not passed on: a
// listener must never undo the change that it hears of.
class ChangeSignal : public std::enable_shared_from_this<ChangeSignal> {
public:
    using Callback = std::function<void()>;
    using Connection = std::shared_ptr<void>;

    static std::shared_ptr<ChangeSignal> Create();

    [[nodiscard]] Connection Connect(Callback callback);
    void Emit();

private:
    ChangeSignal() = default;
    void Disconnect(int id);

    struct Slot {
        int id;
        std::shared_ptr<Callback> callback;
    };
    std::vector<Slot> m_slots;
    int m_nextId = 1;
};

}  // namespace store
