#include "windows/AddinWindows.h"

#include "windows/alarm/AlarmWindows.h"
#include "windows/alarm/SeparateAlarms.h"

void InstallAddinWindows() {
    // Never destroyed: the library stays loaded for the life of the process,
    // and its windows must not be deleted after the application object.
    static AlarmWindows* const alarms = new AlarmWindows;
    static SeparateAlarms* const grouped = new SeparateAlarms(*alarms);
    WindowSeams::Install(alarms);
    WindowSeams::Install(grouped);
}
