#include "ui/ServerConfigDlg.h"

#include "resource.h"
#include "server_config_ids.h"

BEGIN_MESSAGE_MAP(CServerConfigDlg, CDialog)
    ON_BN_CLICKED(IDC_USE_PASSWORD, OnUsePassword)
END_MESSAGE_MAP()

CServerConfigDlg::CServerConfigDlg(CDialog* pParent) : CDialog(IDD_SERVER_CONFIG, pParent) {}

void CServerConfigDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_SERVER_NAME, m_strServerName);
    DDV_MaxChars(pDX, m_strServerName, kServerNameMaxChars);
    DDX_Text(pDX, IDC_MOTD, m_strMotd);
    DDV_MaxChars(pDX, m_strMotd, kMotdMaxChars);
    DDX_Check(pDX, IDC_USE_PASSWORD, m_bUsePassword);
    DDX_Text(pDX, IDC_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kPasswordMaxChars);
    DDX_Check(pDX, IDC_ALLOW_ARMPATCHES, m_bAllowArmpatches);
    DDX_Check(pDX, IDC_FORCE_FOG, m_bForceFog);
    DDX_Check(pDX, IDC_FORCE_WEATHER, m_bForceWeather);
    DDX_Check(pDX, IDC_LOUD_FOOTSTEPS, m_bLoudFootsteps);
    DDX_Check(pDX, IDC_SHOW_ENEMIES, m_bShowEnemies);
    DDX_Check(pDX, IDC_ALLOW_AUTO_TARGETING, m_bAllowAutoTargeting);
    DDX_Check(pDX, IDC_RANDOM_MAPS, m_bRandomMaps);
    DDX_Check(pDX, IDC_RANDOM_TEAMS, m_bRandomTeams);
    DDX_Check(pDX, IDC_RANDOM_INSERTIONS, m_bRandomInsertions);
    DDX_Check(pDX, IDC_USE_KIT_RESTRICTIONS, m_bUseKitRestrictions);
    DDX_Check(pDX, IDC_SHOW_ENEMY_NAMES, m_bShowEnemyNames);
}

BOOL CServerConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // From here on the members hold what the controls show.
    UpdateData(TRUE);
    if (OrvantaFamily()) {
        EnableDlgItem(IDC_ALLOW_ARMPATCHES, FALSE);
        EnableDlgItem(IDC_FORCE_FOG, FALSE);
        EnableDlgItem(IDC_FORCE_WEATHER, FALSE);
        EnableDlgItem(IDC_LOUD_FOOTSTEPS, FALSE);
        EnableDlgItem(IDC_RANDOM_INSERTIONS, FALSE);
        EnableDlgItem(IDC_USE_KIT_RESTRICTIONS, FALSE);
        EnableDlgItem(IDC_SHOW_ENEMY_NAMES, FALSE);
    }
    // The template creates the password edit disabled.
    if (m_bUsePassword) EnableDlgItem(IDC_PASSWORD, TRUE);
    return TRUE;
}

void CServerConfigDlg::OnUsePassword() {
    UpdateData(TRUE);
    EnablePassword();
}

void CServerConfigDlg::EnablePassword() {
    // The box itself decides: a too-long name or MOTD stops the exchange before it reaches the box,
    // and the member may then be stale.
    const BOOL checked = ::SendMessageA(GetDlgItem(IDC_USE_PASSWORD), BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableDlgItem(IDC_PASSWORD, checked);
}
