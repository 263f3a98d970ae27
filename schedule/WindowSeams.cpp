#include "schedule/WindowSeams.h"

namespace {

template <class Seam>
struct Slot {
    Seam none;
    Seam* installed = nullptr;
    Seam& Get() { return installed ? *installed : none; }
};

Slot<RemindWindows> remindSlot;
Slot<RemindMultipleWindow> remindMultipleSlot;
Slot<ViewRemindersWindow> viewRemindersSlot;
Slot<DisplayExWindow> displayExSlot;

}  // namespace

RemindWindows& WindowSeams::Remind() {
    return remindSlot.Get();
}
RemindMultipleWindow& WindowSeams::RemindMultiple() {
    return remindMultipleSlot.Get();
}
ViewRemindersWindow& WindowSeams::ViewReminders() {
    return viewRemindersSlot.Get();
}
DisplayExWindow& WindowSeams::DisplayEx() {
    return displayExSlot.Get();
}

void WindowSeams::Install(RemindWindows* windows) {
    remindSlot.installed = windows;
}
void WindowSeams::Install(RemindMultipleWindow* window) {
    remindMultipleSlot.installed = window;
}
void WindowSeams::Install(ViewRemindersWindow* window) {
    viewRemindersSlot.installed = window;
}
void WindowSeams::Install(DisplayExWindow* window) {
    displayExSlot.installed = window;
}
