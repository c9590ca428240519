#include "win32/SystemServices.h"

#include "win32/Win32Registry.h"

const SettingsStore& SystemSettings() {
    static Win32Registry registry;
    static SettingsStore store(registry);
    return store;
}
