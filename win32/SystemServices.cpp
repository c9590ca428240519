#include "win32/SystemServices.h"

#include "core/launch.h"
#include "framework/dialog.h"
#include "win32/Win32Registry.h"

const SettingsStore& SystemSettings() {
    static Win32Registry registry;
    static SettingsStore store(registry);
    return store;
}

void CarryOut(CDialog& dialog, const LaunchPlan& plan) {
    if (plan.message)
        dialog.MessageBox(plan.message);
    else
        ::WinExec(plan.commandLine.c_str(), SW_SHOWNORMAL);
}
