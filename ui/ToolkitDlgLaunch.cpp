// Join, Create, Ping and Telnet of the main window.
#include "core/launch.h"
#include "ui/LaunchFlow.h"
#include "ui/ToolkitDlg.h"

bool CToolkitDlg::PassInstalledGate(GameTarget target) {
    if (m_selection.IsInstalled(target)) return true;
    MessageBox(InfoOf(target).notInstalledMessage);
    return false;
}

void CToolkitDlg::OnJoin() { JoinServer(); }

bool CToolkitDlg::JoinServer() {
    UpdateData(TRUE);
    const GameTarget target = m_selection.LaunchTarget();
    if (!PassInstalledGate(target)) return false;
    if (target == GameTarget::MH) FollowInstallationPath();
    const LaunchPlan plan = PlanJoin(target, m_strServerAddress, m_strPort);
    // What is started is stored first, whether or not it then starts.
    if (!plan.message) {
        m_selection.WriteSetting(kHostAddressValue, m_strServerAddress);
        m_selection.WriteSetting(kJoinPortValue, m_strPort);
    }
    return StartOrExplain(*this, plan, m_selection.Store());
}

void CToolkitDlg::OnCreateServer() {
    UpdateData(TRUE);
    const GameTarget target = m_selection.LaunchTarget();
    if (!PassInstalledGate(target)) return;
    if (target == GameTarget::MH) FollowInstallationPath();
    const LaunchPlan plan = PlanCreate(target, m_strPort);
    if (!plan.message) m_selection.WriteSetting(kJoinPortValue, m_strPort);
    StartOrExplain(*this, plan, m_selection.Store());
}

void CToolkitDlg::OnPing() {
    UpdateData(TRUE);
    StartOrExplain(*this, PlanPing(m_strServerAddress), m_selection.Store());
}

void CToolkitDlg::OnTelnet() {
    UpdateData(TRUE);
    StartOrExplain(*this, PlanTelnet(m_strServerAddress, m_strPort), m_selection.Store());
}
