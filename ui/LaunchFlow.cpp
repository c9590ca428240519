#include "ui/LaunchFlow.h"

#include "core/start_failure.h"
#include "win32/ProcessStarter.h"
#include "win32/SettingsCopies.h"

namespace {

// The per-user copy holds values the machine's lack or differ in: an elevated game would not see them.
bool MachineValuesDiffer(GameFamily family) {
    const SettingsLocation where = ReadSettingsLocation(family);
    return where.userCopyExists && !ValuesToCopy(where.Differences()).empty();
}

void Warn(CDialog& dialog, const std::string& text) {
    dialog.MessageBox(text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

bool StartOrExplain(CDialog& dialog, const LaunchPlan& plan, const SettingsStore& store) {
    if (plan.message) {
        dialog.MessageBox(plan.message);
        return false;
    }
    StartFailure failure;
    failure.error = StartProgram(plan.commandLine);
    if (!failure.error) return true;

    failure.program = plan.program;
    failure.commandLine = plan.commandLine;
    failure.systemText = SystemErrorText(failure.error);
    failure.folder = CurrentFolder();
    failure.onWine = RunsOnWine();
    if (plan.program == LaunchProgram::Game) {
        const GameFamily family = InfoOf(plan.target).family;
        failure.installationPath = store.Read(family, kInstallationPathValue);
        failure.installationFolderExists = FolderExists(failure.installationPath);
        if (failure.error == start_error::kElevationRequired) failure.machineValuesDiffer = MachineValuesDiffer(family);
    }
    const StartFailureReport report = DescribeStartFailure(failure);
    if (!report.offerElevation) {
        Warn(dialog, report.text);
        return false;
    }
    if (dialog.MessageBox(report.text.c_str(), nullptr, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return false;
    failure.elevated = true;
    failure.error = StartProgramElevated(dialog.m_hWnd, plan.commandLine);
    if (!failure.error) return true;
    if (failure.error == start_error::kCancelled) return false;  // the user said no to the system's prompt
    failure.systemText = SystemErrorText(failure.error);
    Warn(dialog, DescribeStartFailure(failure).text);
    return false;
}
