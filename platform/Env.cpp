#include "platform/Env.h"

#include "platform/IniSettingsStore.h"
#include "platform/QtDialogs.h"
#include "platform/QtWindowTimers.h"

namespace platform {

namespace {

Env* g_installed = nullptr;

// The production members live as long as the program. They are never
// destroyed: the add-in, the options page and the host may all still hold
// the Env while static destructors run, and Qt objects must not be torn down
// after the application object is gone.
struct ProductionParts {
    SystemClock clock;
    QtWindowTimers timers;
    IniSettingsStore settings;
    LocaleDates dates{LocaleDates::UserLocale()};
    QtMessageBoxes messageBoxes;
    QtColourChooser colours;
    QtWindowEffects windows;
    ObjectRegistry objects;
    LocalDataFiles files;
    Env env;

    ProductionParts() {
        env.clock = &clock;
        env.timers = &timers;
        env.settings = &settings;
        env.dates = &dates;
        env.messageBoxes = &messageBoxes;
        env.colours = &colours;
        env.windows = &windows;
        env.objects = &objects;
        env.files = &files;
    }
};

}  // namespace

Env& Env::Current() {
    return g_installed ? *g_installed : Production();
}

void Env::Install(Env* env) {
    g_installed = env;
}

Env& Env::Production() {
    static ProductionParts* parts = new ProductionParts;
    return parts->env;
}

ScopedEnv::ScopedEnv(Env& env) : m_previous(g_installed) {
    Env::Install(&env);
}

ScopedEnv::~ScopedEnv() {
    Env::Install(m_previous);
}

}  // namespace platform
