#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/ColourChooser.h"
#include "platform/DataFiles.h"
#include "platform/LocaleDates.h"
#include "platform/MessageBoxes.h"
#include "platform/ObjectRegistry.h"
#include "platform/SettingsStore.h"
#include "platform/WindowEffects.h"
#include "platform/WindowTimers.h"

namespace platform {

// Everything the system takes from the operating system, in one place. The
// add-in's code is made of plain procedures over module-wide values, as the
// original was, so it reaches these through Env::Current() rather than
// having each object carry them; a test (or the host program's simulated
// clock) installs its own Env and every call site follows. All members are
// non-owning and must outlive the Env's installation.
struct Env {
    Clock* clock = nullptr;
    WindowTimers* timers = nullptr;
    SettingsStore* settings = nullptr;
    LocaleDates* dates = nullptr;
    MessageBoxes* messageBoxes = nullptr;
    ColourChooser* colours = nullptr;
    WindowEffects* windows = nullptr;
    ObjectRegistry* objects = nullptr;
    DataFiles* files = nullptr;

    // The installed Env, or the production one (built on first use).
    static Env& Current();
    // Installs env (not owned); nullptr goes back to the production Env.
    static void Install(Env* env);
    // The production Env, whether or not another is installed.
    static Env& Production();
};

// Installs an Env for the lifetime of the object and restores the previous.
class ScopedEnv {
public:
    explicit ScopedEnv(Env& env);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    Env* m_previous;
};

// Short forms for call sites.
inline QDateTime Now() { return Env::Current().clock->Now(); }
inline LocaleDates& Dates() { return *Env::Current().dates; }
inline SettingsStore& Settings() { return *Env::Current().settings; }
inline WindowTimers& Timers() { return *Env::Current().timers; }
inline MessageBoxes& MessageBox() { return *Env::Current().messageBoxes; }
inline ColourChooser& Colours() { return *Env::Current().colours; }
inline WindowEffects& Windows() { return *Env::Current().windows; }
inline ObjectRegistry& Objects() { return *Env::Current().objects; }
inline DataFiles& Files() { return *Env::Current().files; }

}  // namespace platform
