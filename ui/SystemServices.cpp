#include "SystemServices.h"

#include "dialog.h"
#include "launch.h"
#include "win32_registry.h"

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
