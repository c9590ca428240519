#include "ui/GeneralOptionsDlg.h"

#include "core/settings_store.h"
#include "general_options_ids.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CGeneralOptionsDlg, CDialog)
END_MESSAGE_MAP()

CGeneralOptionsDlg::CGeneralOptionsDlg(CDialog* pParent) : CDialog(IDD_GENERAL_OPTIONS, pParent) {}

void CGeneralOptionsDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_INTRO_MOVIE_OFF, m_bIntroMovieOff);
    DDX_Check(pDX, IDC_ACTION_MUSIC, m_bActionMusic);
    DDX_Check(pDX, IDC_AUTO_TARGETTING, m_bAutoTargetting);
    DDX_Check(pDX, IDC_BLOOD, m_bBlood);
    DDX_Check(pDX, IDC_CD_MUSIC, m_bCdMusic);
    DDX_Check(pDX, IDC_SHOW_FOG, m_bShowFog);
    DDX_Check(pDX, IDC_FOOTSTEP_SOUNDS, m_bFootstepSounds);
    DDX_Check(pDX, IDC_FULLSCREEN, m_bFullscreen);
    DDX_Check(pDX, IDC_DYNAMIC_LIGHTING, m_bDynamicLighting);
    DDX_Check(pDX, IDC_RECORD_MISSION, m_bRecordMission);
    DDX_Check(pDX, IDC_ALWAYS_RUN, m_bAlwaysRun);
    DDX_Check(pDX, IDC_CHARACTER_SHADOWS, m_bCharacterShadows);
    DDX_Check(pDX, IDC_SHOW_SKY, m_bShowSky);
    DDX_Check(pDX, IDC_SHOW_TOOLTIPS, m_bShowTooltips);
    DDX_Check(pDX, IDC_SHOW_WEAPONS, m_bShowWeaponsAfterDeath);
    DDX_Check(pDX, IDC_WEATHER_FX, m_bWeatherFx);
    DDX_CBString(pDX, IDC_VIDEO_RESOLUTION, m_strVideoResolution);
    DDX_Check(pDX, IDC_USE_MAX_SOUNDS, m_bUseMaxSounds);
}

BOOL CGeneralOptionsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Typing stops at what the store can write; a longer stored text is still shown whole.
    ::SendMessageA(GetDlgItem(IDC_VIDEO_RESOLUTION), CB_LIMITTEXT, SettingsStore::kMaxWriteLength, 0);
    // From here on the members hold what the controls show.
    UpdateData(TRUE);
    if (OrvantaFamily()) {
        EnableDlgItem(IDC_ALWAYS_RUN, FALSE);
        EnableDlgItem(IDC_CD_MUSIC, FALSE);
        EnableDlgItem(IDC_ACTION_MUSIC, FALSE);
        EnableDlgItem(IDC_RECORD_MISSION, FALSE);
        EnableDlgItem(IDC_SHOW_SKY, FALSE);
        EnableDlgItem(IDC_WEATHER_FX, FALSE);
        EnableDlgItem(IDC_CHARACTER_SHADOWS, FALSE);
        EnableDlgItem(IDC_DYNAMIC_LIGHTING, FALSE);
        EnableDlgItem(IDC_SHOW_TOOLTIPS, FALSE);
        EnableDlgItem(IDC_FULLSCREEN, FALSE);
        EnableDlgItem(IDC_FOOTSTEP_SOUNDS, FALSE);
        EnableDlgItem(IDC_SHOW_WEAPONS, FALSE);
        EnableDlgItem(IDC_AFTER_DEATH, FALSE);
    }
    return TRUE;
}
