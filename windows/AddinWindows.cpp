#include "windows/AddinWindows.h"

#include "windows/alarm/AlarmWindows.h"
#include "windows/manage/ManageWindows.h"

void InstallAddinWindows() {
    // Never destroyed: the library stays loaded for the life of the process,
    // and its windows must not be deleted after the application object.
    static AlarmWindows* const alarms = new AlarmWindows;
    static RemindMultipleWindows* const grouped = new RemindMultipleWindows;
    static ViewRemindersWindows* const list = new ViewRemindersWindows;
    static DisplayExWindows* const details = new DisplayExWindows;
    WindowSeams::Install(alarms);
    WindowSeams::Install(grouped);
    WindowSeams::Install(list);
    WindowSeams::Install(details);
}
