#include "ui/PlayerConfigDlg.h"

#include "player_config_ids.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CPlayerConfigDlg, CDialog)
END_MESSAGE_MAP()

CPlayerConfigDlg::CPlayerConfigDlg(CDialog* pParent) : CDialog(IDD_PLAYER_CONFIG, pParent) {}

void CPlayerConfigDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_PLAYER_NAME, m_strPlayerName);
    DDV_MaxChars(pDX, m_strPlayerName, kPlayerNameMaxChars);
    DDX_CBString(pDX, IDC_PRIMARY_WEAPON, m_strPrimaryWeapon);
    DDX_CBString(pDX, IDC_SECONDARY_WEAPON, m_strSecondaryWeapon);
}

BOOL CPlayerConfigDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // From here on the members hold what the controls show.
    UpdateData(TRUE);
    if (OrvantaFamily()) {
        EnableDlgItem(IDC_PRIMARY_WEAPON, FALSE);
        EnableDlgItem(IDC_SECONDARY_WEAPON, FALSE);
    }
    return TRUE;
}
