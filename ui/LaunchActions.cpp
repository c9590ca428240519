// Join, Create, Ping and Telnet of the main window.
#include "ToolkitDlg.h"
#include "launch.h"

bool CToolkitDlg::PassInstalledGate(GameTarget target) {
    if (IsInstalled(target)) return true;
    MessageBox(InfoOf(target).notInstalledMessage);
    return false;
}

void CToolkitDlg::Start(const CString& commandLine) { ::WinExec(commandLine.c_str(), SW_SHOWNORMAL); }

void CToolkitDlg::OnJoin() {
    UpdateData(TRUE);
    const GameTarget target = LaunchTarget();
    if (!PassInstalledGate(target)) return;
    if (target == GameTarget::MH) FollowInstallationPath();
    const LaunchPlan plan = PlanJoin(target, m_strServerAddress, m_strPort);
    if (plan.message) {
        MessageBox(plan.message);
        return;
    }
    WriteSetting(kHostAddressValue, m_strServerAddress);
    WriteSetting(kJoinPortValue, m_strPort);
    Start(plan.commandLine);
}

void CToolkitDlg::OnCreateServer() {
    UpdateData(TRUE);
    const GameTarget target = LaunchTarget();
    if (!PassInstalledGate(target)) return;
    if (target == GameTarget::MH) FollowInstallationPath();
    const LaunchPlan plan = PlanCreate(target, m_strPort);
    if (plan.message) {
        MessageBox(plan.message);
        return;
    }
    WriteSetting(kJoinPortValue, m_strPort);
    Start(plan.commandLine);
}

void CToolkitDlg::OnPing() {
    UpdateData(TRUE);
    const LaunchPlan plan = PlanPing(m_strServerAddress);
    if (plan.message) {
        MessageBox(plan.message);
        return;
    }
    Start(plan.commandLine);
}

void CToolkitDlg::OnTelnet() {
    UpdateData(TRUE);
    const LaunchPlan plan = PlanTelnet(m_strServerAddress, m_strPort);
    if (plan.message) {
        MessageBox(plan.message);
        return;
    }
    Start(plan.commandLine);
}
